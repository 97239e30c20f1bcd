#!/usr/bin/env bash
# What the program does with the user's data when the places it is given are
# not what they seem: a backup location that is the photo folder under
# another name, a set folder planted in advance with links in it, a backup
# set on an exFAT stick (a drive that ignores letter case and shows every
# file as 0777) restored over an installation whose names are in capitals.
# After a restore the focus is back on "Restaurar backup".
#
# Tab order: drive list (focus at start), folder list, Fazer backup,
# Restaurar backup, the check box, Sai&r.
source "$(dirname "$0")/e2e_lib.sh"

readonly report_title='BackupTarvel'

e2e_setup
make_prefix
make_installation
hold_clock

# ------------------------------------------------------------------------
step 'C:\Atalho is a link into the photos; open it and back up with the photos'
ln -s "$install/Fotos/Clientes" "$drive_c/Atalho"
photos=$e2e_work/photos
snapshot "$install/Fotos" "$photos"
start_program "$drive_c"
press Tab Down Return
press Tab Tab Tab space shift+Tab shift+Tab space
expect_box 'Local incorreto'
box_says 'O local do backup fica dentro da pasta de fotos do Tarvel 2.0, que seria copiada para dentro de si mesma.'$'\n''Selecione um local fora da pasta "Fotos" e tente novamente.'
answer_box Return
exit_program
same_tree "$photos" "$install/Fotos"
rm "$drive_c/Atalho"

# ------------------------------------------------------------------------
step 'a set folder planted for the held second, its database and photos links to elsewhere'
planted=$copias/$held_stamp
mkdir -p "$planted" "$e2e_work/importante"
printf 'contrato' >"$e2e_work/contrato.doc"
ln -s "$e2e_work/contrato.doc" "$planted/vendrial.mdb"
ln -s "$e2e_work/importante" "$planted/Fotos"
start_program "$copias" "${frozen_clock[@]}"
press Tab Tab Tab Tab space shift+Tab shift+Tab space
expect_box 'Erro'
answer_box Return
expect_box "$report_title"
box_mentions "Erro em tempo de execução '75':"
box_mentions "$COPIAS\\$held_stamp\\Fotos"
answer_error_report

step 'the links led nowhere: their targets are untouched, the database copy is a file of its own'
[ "$(cat "$e2e_work/contrato.doc")" = contrato ] || fail "the planted link's target was overwritten"
[ -z "$(ls -A "$e2e_work/importante")" ] || fail "photos went through the planted Fotos link"
[ ! -L "$planted/vendrial.mdb" ] || fail "the planted database link is still there"
same_file "$install/vendrial.mdb" "$planted/vendrial.mdb"
rm -rf "$planted"

# ------------------------------------------------------------------------
set_folder=$copias/$held_stamp
set_text="$COPIAS\\$held_stamp"
drive_key=
if mount_stick; then
  step 'a backup set on an exFAT stick, E:, names in small letters'
  set_folder=$stick/$held_stamp
  set_text="E:\\$held_stamp"
  drive_key=e
else
  printf '%s: no exFAT stick (%s); the restore reads a set on C: instead\n' "$E2E_NAME" "$stick_skip"
fi
random_file "$set_folder/vendrial.mdb" 180000
printf '[Geral]\r\nEmpresa=Do pendrive\r\n' >"$set_folder/tarvel.ini"
random_file "$set_folder/Fotos/loja.jpg" 4000
chmod 0777 "$set_folder/vendrial.mdb" "$set_folder/tarvel.ini" 2>/dev/null || true

step 'the installation holds VENDRIAL.MDB and TARVEL.INI, as old installers wrote them'
mv "$install/vendrial.mdb" "$install/VENDRIAL.MDB"
mv "$install/tarvel.ini" "$install/TARVEL.INI"
chmod 0640 "$install/VENDRIAL.MDB"
chmod 0644 "$install/TARVEL.INI"

step 'open the set, tick the check box, Restaurar backup, Sim'
start_program "$set_folder"
if [ -n "$drive_key" ]; then press "$drive_key"; fi
press Tab Tab Tab Tab space shift+Tab space
expect_box 'Substituir arquivos?'
answer_box Return
expect_box 'Operação concluída'
box_says 'A cópia de segurança foi recuperada com sucesso do seguinte local:'$'\n'"$set_text"
answer_box Return

step 'exactly one database and one options file, with the set content and the installation permissions'
names=$(cd "$install" && find . -maxdepth 1 -type f -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = 'TARVEL.INI VENDRIAL.MDB ' ] || fail "the installation holds: $names"
same_file "$set_folder/vendrial.mdb" "$install/VENDRIAL.MDB"
same_file "$set_folder/tarvel.ini" "$install/TARVEL.INI"
[ "$(stat -c %a "$install/VENDRIAL.MDB")" = 640 ] || fail "the database took the mode $(stat -c %a "$install/VENDRIAL.MDB")"
[ "$(stat -c %a "$install/TARVEL.INI")" = 644 ] || fail "the options file took the mode $(stat -c %a "$install/TARVEL.INI")"
same_file "$set_folder/Fotos/loja.jpg" "$install/Fotos/loja.jpg"

step 'the focus is back on Restaurar backup: Space asks again instead of ticking the check box'
press space
expect_box 'Substituir arquivos?'
answer_box Tab space
exit_program
finish
