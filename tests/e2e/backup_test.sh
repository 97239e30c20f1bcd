#!/usr/bin/env bash
# Fazer backup, as a person at the keyboard makes one: first the database
# alone, then with the box "Incluir fotos e opções no backup/restauração"
# ticked, each checked on disk byte for byte.
#
# Tab order: drive list (focus at start), folder list, Fazer backup,
# Restaurar backup, the check box, Sai&r.
source "$(dirname "$0")/e2e_lib.sh"

e2e_setup
make_prefix
make_installation

# The set is named after a second between $2 and $3.
named_after_its_second() {
  [[ "$1" =~ ^[0-9]{8}_[0-9]{6}$ ]] || fail "the set \"$1\" is not named yyyymmdd_hhnnss"
  [[ ! "$1" < "$2" && ! "$1" > "$3" ]] || fail "the set \"$1\" is not named after a second from $2 to $3"
}

# ------------------------------------------------------------------------
step 'start in C:\Copias, press Fazer backup with the check box clear'
start_program "$copias"
before=$(stamp_now)
press Tab Tab space
expect_box 'Operação concluída'
after=$(stamp_now)
find_new_set ''
first=$new_set
named_after_its_second "$first" "$before" "$after"
box_says 'A cópia de segurança dos dados foi concluída com sucesso no seguinte local:'$'\n'"$COPIAS\\$first"
answer_box Return

step 'the first set holds the database alone, byte for byte'
expect_database_alone "$first"

step 'Alt+R (Sai&r) ends the program'
exit_program

# ------------------------------------------------------------------------
step 'start again, tick the check box with Space, press Fazer backup'
next_second_after "$first"
sets=$(backup_sets)
start_program "$copias"
before=$(stamp_now)
press Tab Tab Tab Tab space shift+Tab shift+Tab space
expect_box 'Operação concluída'
after=$(stamp_now)
find_new_set "$sets"
second=$new_set
named_after_its_second "$second" "$before" "$after"
box_says 'A cópia de segurança dos dados foi concluída com sucesso no seguinte local:'$'\n'"$COPIAS\\$second"
answer_box Return

step 'the second set holds database, options and photos, without Thumbs.db'
same_tree "$install" "$copias/$second" without-thumbs

step 'the first set is untouched and the installation still holds its thumbnails'
[ "$(tree_listing "$copias/$first")" = 'f vendrial.mdb' ] || fail "the first set changed"
for thumbs in "$install/Fotos/Thumbs.db" "$install/Fotos/Clientes/Thumbs.db"; do
  [ -f "$thumbs" ] || fail "$thumbs went missing from the installation"
done

step 'Alt+R (Sai&r) ends the program'
exit_program
finish
