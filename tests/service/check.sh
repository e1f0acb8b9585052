#!/usr/bin/env bash
# The service files as a new server gets them: the unit's exposure as systemd
# rates it, and what the package's postinst leaves behind, run into a scratch
# root with the user tools stubbed (they would change this machine's users).
set -euo pipefail
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

# At most 4.9 of 10 ("OK").
systemd-analyze security --offline=true --threshold=49 "$SRC/scripts/service/varelosync.service" >/dev/null ||
  fail "the unit's exposure is above 4.9: $(systemd-analyze security --offline=true \
    "$SRC/scripts/service/varelosync.service" 2>&1 | tail -1)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/root/opt/varelosync"
for tool in getent groupadd useradd chown systemctl; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n%s\n' "$tool" "$scratch" \
    "$([ "$tool" = getent ] && echo 'exit 2' || echo 'exit 0')" > "$scratch/bin/$tool"
  chmod +x "$scratch/bin/$tool"
done
prog="$scratch/root/opt/varelosync"
cp "$SRC/scripts/service/config.ini.sample" "$prog/"
cp "$SRC/scripts/service/etiqueta.txt" "$prog/etiqueta.txt.sample"
install_run() { PATH="$scratch/bin:$PATH" DPKG_ROOT="$scratch/root" sh "$SRC/scripts/service/postinst" configure; }
mode() { stat -c %a "$1"; }

# A first install: the user and group, config.ini 0640 for root and the
# service's group, the monitored folder of the sample.
install_run
[ "$(mode "$prog/config.ini")" = 640 ] || fail "config.ini is $(mode "$prog/config.ini"), not 640"
cmp -s "$prog/config.ini" "$prog/config.ini.sample" || fail "config.ini is not the sample"
grep -qx "chown root:varelo $prog/config.ini" "$scratch/calls" || fail "config.ini not given to root:varelo"
grep -qx "groupadd --system varelo" "$scratch/calls" || fail "no group created"
grep -q "^useradd --system --gid varelo " "$scratch/calls" || fail "no user created"
[ "$(mode "$scratch/root/srv/varelo/comandas")" = 2770 ] || fail "monitored folder mode"
cmp -s "$prog/etiqueta.txt" "$prog/etiqueta.txt.sample" || fail "etiqueta.txt is not the sample"

# An upgrade keeps the site's config.ini and closes one left readable to all.
printf '[Varelo]\nSenha=segredo\n' > "$prog/config.ini"
chmod 0644 "$prog/config.ini"
install_run
[ "$(mode "$prog/config.ini")" = 640 ] || fail "an upgrade left config.ini $(mode "$prog/config.ini")"
grep -qx 'Senha=segredo' "$prog/config.ini" || fail "an upgrade replaced the site's config.ini"
echo "service files: ok"
