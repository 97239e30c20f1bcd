#!/usr/bin/env bash
# A scheduled backup, as cron or a systemd timer runs it: the real program
# with arguments and no display at all. It makes the same set the window
# makes, keeps the newest sets, says what happened by its status and its
# texts, and leaves a line in the history; a command line it does not
# understand ends with 2 and the usage.
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"

if [[ $e2e_program == *.exe ]]; then e2e_setup; else e2e_setup_without_screen; fi
make_prefix
make_installation
# Under Wine the history is the shared prefix's: this scenario starts it anew.
old_history=$(history_file)
if [ -n "$old_history" ]; then rm -f "$old_history"; fi
readonly done_text='A cópia de segurança dos dados foi concluída com sucesso no seguinte local:'

step 'asked for help'
run_command_line "$e2e_work" --ajuda
expect_status 0
[[ $cli_out == *'Uso: BackupTarvel --backup LOCAL [--fotos] [--manter N]'* ]] || fail "no usage: $cli_out"

step 'a command line it does not understand'
run_command_line "$e2e_work" --backup 'C:\Copias' --manter zero
expect_status 2
[[ $cli_err == *'--manter pede um número de 1 a 9999, não "zero"'*'Uso: BackupTarvel'* ]] || fail "$cli_err"
[ -z "$(backup_sets)" ] || fail "a set was made: $(backup_sets)"

step 'a backup with the photos, no window'
before=$(backup_sets)
run_command_line "$e2e_work" --backup 'C:\Copias' --fotos
expect_status 0
find_new_set "$before"
[ "$cli_out" = "$done_text"$'\n''C:\Copias\'"$new_set" ] || fail "printed: $cli_out"
[ -z "$cli_err" ] || fail "error output: $cli_err"
same_tree "$install" "$copias/$new_set" without-thumbs
first_set=$new_set

step 'older sets beside it, and folders that are no sets'
for old in 20200101_010000 20200102_010000 20200103_010000; do
  random_file "$copias/$old/vendrial.mdb" 100
  random_file "$copias/$old/Fotos/foto.jpg" 100
done
random_file "$copias/20190101_010000/Fotos/sem banco.jpg" 100
random_file "$copias/Outras coisas/vendrial.mdb" 100
next_second_after "$first_set"
if [[ $e2e_program == *.exe ]]; then
  run_command_line "$e2e_work" --backup 'C:\Copias\' --manter 2
else
  # On Linux a host folder is taken as the starting folder is.
  run_command_line "$e2e_work" --backup "$copias" --manter 2
fi
expect_status 0
sets=$(cd "$copias" && ls -1 | LC_ALL=C sort)
# The new set is named after the second the run began, which may be the one before now.
[ "$(grep -c '^20200' <<<"$sets" || true)" -eq 0 ] || fail "old sets are left: $sets"
[ "$(grep -cE '^20[0-9]{6}_[0-9]{6}$' <<<"$sets")" -eq 3 ] || fail "not the newest two sets and the other folder: $sets"
[ -f "$copias/20190101_010000/Fotos/sem banco.jpg" ] || fail "a folder without a database was removed"
[ -f "$copias/Outras coisas/vendrial.mdb" ] || fail "a folder not named as a set was removed"
[ -d "$copias/$first_set" ] || fail "the newest older set was removed"

step 'the stick is not there'
run_command_line "$e2e_work" --backup 'Q:\Copias' --fotos
expect_status 76
# As the window: the folder could not be created, then the report.
[[ $cli_err == 'Ocorreu um erro ao criar a pasta de destino:'*"Erro em tempo de execução '76':"$'\n\n''Caminho não encontrado'* ]] ||
  fail "$cli_err"
[ -z "$cli_out" ] || fail "output: $cli_out"

if [[ $e2e_program != *.exe ]]; then
  step 'Tarvel 2.0 is open, writing its database'
  next_second_after "$(stamp_now)"
  sets_before=$(backup_sets)
  exec 3>>"$install/vendrial.mdb"
  run_command_line "$e2e_work" --backup 'C:\Copias'
  exec 3>&-
  expect_status 70
  [[ $cli_err == "Erro em tempo de execução '70':"$'\n\n''Permissão negada'* ]] || fail "$cli_err"
  [ "$(backup_sets)" = "$sets_before" ] || fail "a failed backup left a set: $(backup_sets)"
fi

step 'every run left its line in the history'
history_path=$(history_file)
[ -n "$history_path" ] && [ -f "$history_path" ] || fail "no history file"
history=$(tr -d '\r' <"$history_path")
grep -q " | C:\\\\Copias | C:\\\\Copias\\\\$first_set | concluído\$" <<<"$history" || fail "history: $history"
grep -q ' | concluído; backups antigos apagados: 20200101_010000 20200102_010000 20200103_010000$' <<<"$history" ||
  fail "history: $history"
grep -q ' | Q:\\Copias | - | erro 76 (Caminho não encontrado)' <<<"$history" || fail "history: $history"
if [[ $e2e_program != *.exe ]]; then
  [ "$(grep -c ' | backup | linha de comando | ' <<<"$history")" -eq 4 ] || fail "history: $history"
  grep -q ' | - | erro 70 (Permissão negada)' <<<"$history" || fail "history: $history"
fi

finish
