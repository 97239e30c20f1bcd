#!/usr/bin/env bash
# Restaurar backup, as a person at the keyboard does it: a full backup is
# made, the installation changes, and the set is brought back, first with
# everything, then the database alone; a "Não" to the question changes
# nothing. Every result is checked on disk byte for byte.
#
# Tab order: drive list (focus at start), folder list, Fazer backup,
# Restaurar backup, the check box, Sai&r. In the folder list the arrow keys
# (and End) move the highlight and Enter opens the highlighted folder.
source "$(dirname "$0")/e2e_lib.sh"

readonly confirm_text='Este procedimento substituirá os arquivos de dados atualmente disponíveis para o Tarvel 2.0 '$'\n''por esta cópia de segurança criada anteriormente. Tem certeza que deseja prosseguir?'

e2e_setup
make_prefix
make_installation
original=$e2e_work/original
snapshot "$install" "$original"

# Opens the newest set in the folder list: under C:\Copias it is the last
# entry. The focus stays on the folder list.
open_newest_set() {
  press Tab End Return
}

# ------------------------------------------------------------------------
step 'make a backup with the check box ticked'
start_program "$copias"
press Tab Tab Tab Tab space shift+Tab shift+Tab space
expect_box 'Operação concluída'
answer_box Return
exit_program
find_new_set ''
set=$new_set
same_tree "$install" "$copias/$set" without-thumbs

step 'the installation changes: new data, a photo replaced, photos removed, a photo added'
random_file "$install/vendrial.mdb" 250000
printf '[Geral]\r\nEmpresa=Outra\r\n' >"$install/tarvel.ini"
random_file "$install/Fotos/loja.jpg" 9000
rm "$install/Fotos/Clientes/cliente 01.jpg"
rm -r "$install/Fotos/Produtos"
random_file "$install/Fotos/nova.jpg" 7000
changed=$e2e_work/changed
snapshot "$install" "$changed"

# ------------------------------------------------------------------------
step 'open the set, press Restaurar backup, answer Não'
start_program "$copias"
open_newest_set
press Tab Tab space
expect_box 'Substituir arquivos?'
box_says "$confirm_text"
answer_box Tab space

step 'after Não nothing was replaced and no other box follows'
no_box_open
same_tree "$changed" "$install"
exit_program

# ------------------------------------------------------------------------
step 'open the set, tick the check box, press Restaurar backup, answer Sim'
start_program "$copias"
open_newest_set
press Tab Tab Tab space shift+Tab space
expect_box 'Substituir arquivos?'
box_says "$confirm_text"
answer_box Return
expect_box 'Operação concluída'
box_says 'A cópia de segurança foi recuperada com sucesso do seguinte local:'$'\n'"$COPIAS\\$set"
answer_box Return

step 'database, options and photos are back; the added photo and the thumbnails stay'
expected=$e2e_work/expected
snapshot "$original" "$expected"
cp -a "$changed/Fotos/nova.jpg" "$expected/Fotos/nova.jpg"
same_tree "$expected" "$install"

step 'the set itself is unchanged'
same_tree "$original" "$copias/$set" without-thumbs
exit_program

# ------------------------------------------------------------------------
step 'the installation changes again'
random_file "$install/vendrial.mdb" 100000
printf '[Geral]\r\nEmpresa=Terceira\r\n' >"$install/tarvel.ini"
random_file "$install/Fotos/loja.jpg" 5000
snapshot "$install" "$changed"

step 'open the set, leave the check box clear, press Restaurar backup, answer Sim'
start_program "$copias"
open_newest_set
press Tab Tab space
expect_box 'Substituir arquivos?'
answer_box Return
expect_box 'Operação concluída'
box_says 'A cópia de segurança foi recuperada com sucesso do seguinte local:'$'\n'"$COPIAS\\$set"
answer_box Return

step 'only the database came back; options and photos are as they were'
same_file "$original/vendrial.mdb" "$install/vendrial.mdb"
cp -a "$original/vendrial.mdb" "$changed/vendrial.mdb"
same_tree "$changed" "$install"
exit_program
finish
