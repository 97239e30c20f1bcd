#!/usr/bin/env bash
# Two backups within the same second share one set folder. The clock the
# program reads is held still at 13:09:04 on 17 January 2009 (libfaketime),
# so the second backup meets the first one's folder every time: it reports
# that the folder could not be created, copies into it all the same,
# replacing the earlier files, and ends with the usual success message.
#
# Tab order: drive list (focus at start), folder list, Fazer backup,
# Restaurar backup, the check box, Sai&r.
source "$(dirname "$0")/e2e_lib.sh"

hold_clock
readonly stamp=$held_stamp
readonly done_text='A cópia de segurança dos dados foi concluída com sucesso no seguinte local:'$'\n'"$COPIAS\\$stamp"

e2e_setup
make_prefix
make_installation

# ------------------------------------------------------------------------
step 'at 13:09:04, tick the check box and press Fazer backup'
start_program "$copias" "${frozen_clock[@]}"
press Tab Tab Tab Tab space shift+Tab shift+Tab space
expect_box 'Operação concluída'
box_says "$done_text"
answer_box Return
exit_program
[ "$(backup_sets)" = "$stamp" ] || fail "expected the set $stamp, found: $(backup_sets | tr '\n' ' ')"
same_tree "$install" "$copias/$stamp" without-thumbs

step 'the installation changes: new data, a photo replaced, a photo added'
random_file "$install/vendrial.mdb" 222222
random_file "$install/Fotos/loja.jpg" 8000
random_file "$install/Fotos/Clientes/cliente 02.jpg" 6000

# ------------------------------------------------------------------------
step 'in the same second, the same backup again: the folder exists already'
start_program "$copias" "${frozen_clock[@]}"
press Tab Tab Tab Tab space shift+Tab shift+Tab space
expect_box 'Erro'
box_says 'Ocorreu um erro ao criar a pasta de destino:'$'\n'"$COPIAS\\$stamp"
answer_box Return

step 'the backup goes on into that folder, subfolders included, and succeeds'
expect_box 'Operação concluída'
box_says "$done_text"
answer_box Return
[ "$(backup_sets)" = "$stamp" ] || fail "expected the one set $stamp, found: $(backup_sets | tr '\n' ' ')"
same_tree "$install" "$copias/$stamp" without-thumbs
exit_program
finish
