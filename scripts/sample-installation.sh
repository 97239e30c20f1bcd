#!/usr/bin/env bash
# Lays a sample Tarvel 2.0 in a Wine prefix of its own, for a first run on a
# machine without it (make run):  scripts/sample-installation.sh PREFIX
#
# The prefix is laid by tarvel-prefix.sh; it gets the installation at
# C:\Tarvel (a small database, an options file, photos in subfolders) and an
# empty C:\Copias for the backups. An installation already there is kept as
# it is, with the backups made of it.
set -euo pipefail

prefix=${1:?usage: $0 PREFIX}
install=$prefix/drive_c/Tarvel
"$(dirname "$0")/tarvel-prefix.sh" "$prefix"
mkdir -p "$prefix/drive_c/Copias"

[ -f "$install/vendrial.mdb" ] && exit 0

# A photo: a small picture of one colour, a real JPEG where netpbm can make
# one.
photo() {
  mkdir -p "$(dirname "$1")"
  if command -v ppmmake >/dev/null && command -v pnmtojpeg >/dev/null; then
    ppmmake "$2" 160 120 | pnmtojpeg >"$1"
  else
    head -c 8000 /dev/urandom >"$1"
  fi
}

mkdir -p "$install"
head -c 262144 /dev/urandom >"$install/vendrial.mdb"
printf '[Geral]\r\nEmpresa=Padaria Exemplo\r\nImpressora=LPT1\r\n' >"$install/tarvel.ini"
photo "$install/Fotos/loja.jpg" rgb:c0/60/20
photo "$install/Fotos/Produtos/pão de queijo.jpg" rgb:e0/c0/40
photo "$install/Fotos/Produtos/café.jpg" rgb:60/30/10
photo "$install/Fotos/Clientes/cliente 01.jpg" rgb:30/60/c0
