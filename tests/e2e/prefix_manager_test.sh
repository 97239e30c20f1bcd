#!/usr/bin/env bash
# Tarvel 2.0 installed with a prefix manager (Bottles, from Flathub), and the
# program started as the menu starts it: no WINEPREFIX, an empty ~/.wine
# beside the bottle. The program must find the bottle, take its drives, and
# back up into it through the window.
source "$(dirname "$0")/e2e_lib.sh"

e2e_setup
make_prefix
make_installation

step 'move the prefix into a Bottles bottle, beside an empty ~/.wine'
bottle=$e2e_work/home/.var/app/com.usebottles.bottles/data/bottles/bottles/Loja
mkdir -p "$(dirname "$bottle")" "$e2e_work/home/.wine/drive_c/Copias" "$e2e_work/home/.wine/dosdevices"
ln -s ../drive_c "$e2e_work/home/.wine/dosdevices/c:"
mv "$prefix" "$bottle"
prefix=$bottle
drive_c=$prefix/drive_c
install=$drive_c/Tarvel
copias=$drive_c/Copias

step 'start in the bottle'"'"'s C:\Copias with no WINEPREFIX, press Fazer backup'
start_program "$copias" WINEPREFIX=
press Tab Tab space
expect_box 'Operação concluída'
find_new_set ''
box_says 'A cópia de segurança dos dados foi concluída com sucesso no seguinte local:'$'\n'"$COPIAS\\$new_set"
answer_box Return

step 'the set is in the bottle, holding its database byte for byte'
expect_database_alone "$new_set"
[ -z "$(ls "$e2e_work/home/.wine/drive_c/Copias")" ] || fail "something was written into ~/.wine"

exit_program
finish
