#!/usr/bin/env bash
# Restaurar backup refuses what is not a backup set it can bring back: the
# folder that holds the sets, the installation folder itself, and a set
# without options and photos when the check box asks for them. Each time the
# user is told why and nothing on disk changes.
#
# Tab order: drive list (focus at start), folder list, Fazer backup,
# Restaurar backup, the check box, Sai&r.
source "$(dirname "$0")/e2e_lib.sh"

e2e_setup
make_prefix
make_installation

# Answers Sim to the question that every restore asks first.
confirm_restore() {
  expect_box 'Substituir arquivos?'
  answer_box Return
}

# ------------------------------------------------------------------------
step 'make a backup of the database alone (check box clear)'
start_program "$copias"
press Tab Tab space
expect_box 'Operação concluída'
answer_box Return
exit_program
find_new_set ''
set=$new_set

step 'the database changes after the backup'
random_file "$install/vendrial.mdb" 150000
before=$e2e_work/before
snapshot "$install" "$before"

# ------------------------------------------------------------------------
step 'restore from C:\Copias, the folder that holds the sets'
start_program "$copias"
press Tab Tab Tab space
confirm_restore
expect_box 'Arquivo não encontrado'
box_says 'Este local não contém uma cópia de segurança do Tarvel 2.0.'$'\n''Selecione outro local que contenha uma cópia de segurança e tente novamente.'
answer_box Return

step 'nothing was replaced, no other box follows, the program goes on'
no_box_open
same_tree "$before" "$install"
exit_program

# ------------------------------------------------------------------------
step 'open C:\ and then C:\Tarvel in the folder list, restore from there'
start_program "$copias"
# C:\ is the first entry; once it is open, Tarvel is the last under it.
press Tab Home Return End Return Tab Tab space
confirm_restore
expect_box 'Local incorreto'
box_says 'Você selecionou o local do arquivo original e não de uma cópia de segurança.'$'\n''Selecione um local que contenha uma cópia de segurança de tente novamente.'
answer_box Return

step 'nothing was replaced'
no_box_open
same_tree "$before" "$install"
exit_program

# ------------------------------------------------------------------------
step 'open the set of the database alone, tick the check box, restore'
start_program "$copias"
press Tab End Return Tab Tab Tab space shift+Tab space
confirm_restore
expect_box 'Cópia de segurança incompleta'
box_mentions 'tarvel.ini'
box_mentions 'Fotos'
answer_box Return

step 'nothing was replaced, not even the database the set holds'
no_box_open
same_tree "$before" "$install"
different_file "$copias/$set/vendrial.mdb" "$install/vendrial.mdb"
exit_program
finish
