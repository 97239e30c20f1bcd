#!/usr/bin/env bash
# What an operation that cannot be done leaves behind: a backup of a
# database in use leaves no empty set to pass for a backup; a restore whose
# photos hold two that the installation would take for one refuses them with
# none of that folder's photos replaced; a backup of two photo folders that
# an exFAT stick takes for one is refused and leaves nothing on the stick.
#
# Tab order: drive list (focus at start), folder list, Fazer backup,
# Restaurar backup, the check box, Sai&r.
source "$(dirname "$0")/e2e_lib.sh"

e2e_setup
make_prefix
make_installation

# ------------------------------------------------------------------------
step 'Tarvel 2.0 holds its database open for writing; Fazer backup with the photos'
exec 3>>"$install/vendrial.mdb"
start_program "$copias"
press Tab Tab Tab Tab space shift+Tab shift+Tab space
expect_box 'BackupTarvel'
box_mentions "Erro em tempo de execução '70':"
box_mentions 'C:\Tarvel\vendrial.mdb'
answer_error_report
exec 3>&-

step 'no set folder is left under C:\Copias'
[ -z "$(backup_sets)" ] || fail "a failed backup left: $(backup_sets | tr '\n' ' ')"

# ------------------------------------------------------------------------
step 'a set whose Fotos holds foto.jpg and Foto.jpg; the installation holds FOTO.JPG'
set_folder=$copias/20090117_130904
random_file "$set_folder/vendrial.mdb" 50000
printf '[Geral]\r\nEmpresa=Do backup\r\n' >"$set_folder/tarvel.ini"
random_file "$set_folder/Fotos/foto.jpg" 3000
random_file "$set_folder/Fotos/Foto.jpg" 3000
random_file "$set_folder/Fotos/loja.jpg" 3000
random_file "$install/Fotos/FOTO.JPG" 5000
photos=$e2e_work/photos
snapshot "$install/Fotos" "$photos"

step 'open the set, tick the check box, Restaurar backup, Sim'
start_program "$set_folder"
press Tab Tab Tab Tab space shift+Tab space
expect_box 'Substituir arquivos?'
answer_box Return
expect_box 'BackupTarvel'
box_mentions "Erro em tempo de execução '58':"
box_mentions 'Fotos\foto.jpg'
box_mentions 'Fotos\Foto.jpg'
answer_error_report

step 'none of the photos of that folder was replaced, and none became one'
same_tree "$photos" "$install/Fotos"

# ------------------------------------------------------------------------
if mount_stick; then
  step 'photo folders "σ" and "ς", one name for the stick; Fazer backup onto E:'
  random_file "$install/Fotos/σ/x.jpg" 2000
  random_file "$install/Fotos/ς/x.jpg" 2000
  start_program "$stick"
  press e Tab Tab Tab Tab space shift+Tab shift+Tab space
  expect_box 'BackupTarvel'
  box_mentions "Erro em tempo de execução '58':"
  answer_error_report

  step 'nothing of the failed backup is left on the stick'
  [ -z "$(ls -A "$stick")" ] || fail "the stick holds: $(ls -A "$stick" | tr '\n' ' ')"
else
  printf '%s: no exFAT stick (%s); the folders a stick takes for one are not tried\n' "$E2E_NAME" "$stick_skip"
fi
finish
