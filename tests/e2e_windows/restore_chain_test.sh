#!/usr/bin/env bash
# Backup, restore, backup and restore again, each with "Incluir fotos e
# opções" ticked, as a shop does week after week, on BackupTarvel.exe under
# Wine. Every file a restore replaces must stay as visible as it was: a
# hidden database would vanish from dir and from Explorer, the next backup
# would carry it hidden, and the restore of that backup would answer
# "Arquivo não encontrado".
#
# Tab order: drive list (focus at start), folder list, Fazer backup,
# Restaurar backup, the check box, Sai&r.
# shellcheck source=../e2e/e2e_lib.sh
source "$(dirname "$0")/../e2e/e2e_lib.sh"
# shellcheck disable=SC2154  # e2e_program, wine, install and the others: e2e_lib.sh, wine_e2e_lib.sh
[[ $e2e_program == *.exe ]] || fail "this scenario is the Windows program's: $e2e_program is no .exe"

e2e_setup
make_prefix
make_installation

# The files under C:\Tarvel that dir itself lists with the attribute $1
# ("h" hidden, "s" system), one Windows path a line.
listed_by_dir() {
  "$wine" cmd /c dir /s /b "/a:$1-d" 'C:\Tarvel' 2>/dev/null | tr -d '\r' | grep -aF "C:\\" || true
}

every_file_visible_to_dir() {
  local hidden system all
  hidden=$(listed_by_dir h)
  [ -z "$hidden" ] || fail "dir sees these files of C:\\Tarvel as hidden:"$'\n'"$hidden"
  system=$(listed_by_dir s)
  [ -z "$system" ] || fail "dir sees these files of C:\\Tarvel as system files:"$'\n'"$system"
  all=$("$wine" cmd /c dir /s /b /a:-d 'C:\Tarvel' 2>/dev/null | tr -d '\r' | grep -acF "C:\\" || true)
  [ "$all" -eq "$(find "$install" -type f | wc -l)" ] || fail "dir lists $all files under C:\\Tarvel"
}

back_up_with_everything() {
  local sets
  sets=$(backup_sets)
  start_program "$copias"
  press Tab Tab Tab Tab space shift+Tab shift+Tab space
  expect_box 'Operação concluída'
  answer_box Return
  exit_program
  find_new_set "$sets"
}

# Opens the newest set (the last entry under C:\Copias) and restores it
# with the check box ticked.
restore_newest_with_everything() {
  start_program "$copias"
  press Tab End Return Tab Tab Tab space shift+Tab space
  expect_box 'Substituir arquivos?'
  answer_box Return
  expect_box 'Operação concluída'
  box_says 'A cópia de segurança foi recuperada com sucesso do seguinte local:'$'\n'"$COPIAS\\$1"
  answer_box Return
  exit_program
}

# ------------------------------------------------------------------------
step 'the installation is visible to dir before anything runs'
every_file_visible_to_dir

step 'first backup with the check box ticked'
back_up_with_everything
first=$new_set
same_tree "$install" "$copias/$first" without-thumbs

step 'the installation changes: database, options and a photo'
random_file "$install/vendrial.mdb" 150000
printf '[Geral]\r\nEmpresa=Outra\r\n' >"$install/tarvel.ini"
random_file "$install/Fotos/loja.jpg" 8000

step 'restore the first set: database, options and photos replaced'
restore_newest_with_everything "$first"
same_file "$copias/$first/vendrial.mdb" "$install/vendrial.mdb"
same_file "$copias/$first/tarvel.ini" "$install/tarvel.ini"
same_file "$copias/$first/Fotos/loja.jpg" "$install/Fotos/loja.jpg"

step 'every file the restore replaced is still visible to dir'
every_file_visible_to_dir

step 'second backup with the check box ticked'
next_second_after "$first"
back_up_with_everything
second=$new_set
same_tree "$install" "$copias/$second" without-thumbs

step 'restore the second set: its database is found, and replaced again'
random_file "$install/vendrial.mdb" 90000
restore_newest_with_everything "$second"
same_file "$copias/$second/vendrial.mdb" "$install/vendrial.mdb"

step 'after the chain, every file is visible to dir'
every_file_visible_to_dir
finish
