#!/usr/bin/env bash
# Acts as a waiter's handheld: drops one request file into the monitored
# folder and reports what the program answers.
#
#   scripts/palm.sh FOLDER KIND NUMBER [LINE]
#
#   FOLDER  the monitored folder (txtPasta)
#   KIND    INCLUSAO, EXCLUSAO, PRINTM, PRINTD, FECHACONTA, FECHACOMANDA,
#           ATUALIZA, ATUCOM, IMP
#   NUMBER  the comanda, table or order number of the file name
#   LINE    the request's line, UTF-8 (converted to Windows-1252), e.g. for
#           INCLUSAO "product;quantity;comanda;remark;table;waiter;;0"
#
# The file is written under a hidden temporary name and renamed, as the
# handhelds do, so the scan never sees half a request. For INCLUSAO the reply
# (okComanda<n>.txt or erro<n>.txt) is printed and removed; for the other
# kinds the script waits until the program has taken the file away.
# VARELO_PALM_TIMEOUT sets the wait in seconds (default 30). Exit status: 0
# answered ok, 1 answered erro, 2 no answer in time, 64 bad usage.
set -euo pipefail

if [ $# -lt 3 ] || [ $# -gt 4 ]; then
  sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 64
fi
folder=$1 kind=$2 number=$3 line=${4:-}
timeout=${VARELO_PALM_TIMEOUT:-30}
[ -d "$folder" ] || { echo "palm: no folder $folder" >&2; exit 64; }

name="$kind$number.txt"
tmp="$folder/.$name.$$"
printf '%s\r\n' "$line" | iconv -f UTF-8 -t CP1252//TRANSLIT >"$tmp"
mv -f "$tmp" "$folder/$name"
echo "palm: sent $name"

ok="$folder/okComanda$number.txt"
erro="$folder/erro$number.txt"
deadline=$((SECONDS + timeout))
while [ "$SECONDS" -lt "$deadline" ]; do
  if [ "$kind" = INCLUSAO ]; then
    for reply in "$ok" "$erro"; do
      if [ -f "$reply" ] && [ ! -f "$folder/$name" ]; then
        echo "palm: $(basename "$reply"): $(tr -d '\r' <"$reply")"
        rm -f "$reply"
        [ "$reply" = "$ok" ] && exit 0 || exit 1
      fi
    done
  elif [ ! -e "$folder/$name" ]; then
    echo "palm: $name handled"
    exit 0
  fi
  sleep 0.2
done
echo "palm: no answer to $name within ${timeout}s" >&2
exit 2
