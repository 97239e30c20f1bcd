#!/usr/bin/env bash
# Lays a sample Tarvel 2.0 in a Wine prefix of its own, for a first run on a
# machine without it (make run):  scripts/sample-installation.sh PREFIX
#
# The prefix gets C: (its drive_c) and Z: ("/"), the installation at
# C:\Tarvel (a small database, an options file, photos in subfolders) with
# its registry key where the 32-bit Tarvel's installer writes it, and an
# empty C:\Copias for the backups. An installation already there is kept as
# it is, with the backups made of it.
set -euo pipefail

prefix=${1:?usage: $0 PREFIX}
install=$prefix/drive_c/Tarvel
mkdir -p "$prefix/dosdevices" "$prefix/drive_c/Copias"
[ -e "$prefix/dosdevices/c:" ] || ln -s ../drive_c "$prefix/dosdevices/c:"
[ -e "$prefix/dosdevices/z:" ] || ln -s / "$prefix/dosdevices/z:"

cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to REGISTRY\\Machine

#arch=win64

[Software\\Wow6432Node\\KESTAL\\Tarvel\\2.0] 1796736792
#time=1dd8718ac39b1a8
"Path"="C:\\Tarvel"
REG

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
