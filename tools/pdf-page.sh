#!/usr/bin/env bash
# Turns the first page of the newest PDF that the PDF printer produced into
# OUT.png. Fails when no PDF was printed in the last ten minutes.
set -eu
out="$1"
pdf=$(find "$HOME/PDF" /var/spool/cups-pdf -name '*.pdf' -mmin -10 -printf '%T@ %p\n' 2>/dev/null | sort -n | tail -1 | cut -d' ' -f2-)
if [ -z "$pdf" ]; then
  echo "pdf-page: no PDF was printed" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$pdf" "$out"
echo "pdf-page: $pdf -> $out.png"
test -s "$out.png"
