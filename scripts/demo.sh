#!/usr/bin/env bash
# Runs VareloSync against a private MariaDB server loaded with demo data.
#
#   scripts/demo.sh
#
# Installs the Debian packages, builds the program in build/, starts a server
# on 127.0.0.1:33062 (folder /tmp/varelosync-demo-db), loads the demo data and
# prepares the program folder /tmp/varelosync-demo:
#
#   config.ini            monitored folder, server and ODBC driver
#   etiqueta.txt          label template
#   comandas/             the monitored folder shared with the handhelds
#   impressoras/NAME/     spool folder of printer NAME (default, cozinha, bar)
#   config/Varelo/settings.ini  the per-user store (XDG_CONFIG_HOME=config)
#   etiquetas.prn         what the label printer receives
#
# The server is stopped when the program ends. Environment:
#   VARELO_DEMO_HOME   program folder      (default /tmp/varelosync-demo)
#   VARELO_DEMO_DB     server folder       (default /tmp/varelosync-demo-db)
#   VARELO_DEMO_PORT   server port         (default 33062)
#   VARELO_DEMO_KEEP_DB=1  leave the server running afterwards
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$REPO/build"
DEMO=${VARELO_DEMO_HOME:-/tmp/varelosync-demo}
DB_DIR=${VARELO_DEMO_DB:-/tmp/varelosync-demo-db}
PORT=${VARELO_DEMO_PORT:-33062}
DB="$REPO/scripts/private-mariadb.sh"

"$REPO/scripts/install-deps.sh"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" --target varelosync -j2

"$DB" start "$DB_DIR" "$PORT"
if [ "${VARELO_DEMO_KEEP_DB:-0}" != 1 ]; then
  trap '"$DB" stop "$DB_DIR"' EXIT
  trap 'exit 130' INT TERM
fi
"$DB" seed "$DB_DIR"

mkdir -p "$DEMO/comandas" "$DEMO"/impressoras/{default,cozinha,bar}
cat >"$DEMO/config.ini" <<EOF
[VareloSync]
PastaComanda=$DEMO/comandas
Impressora=LPT1

[Varelo]
IPServidor=127.0.0.1;Port=$PORT
Driver=MariaDB Unicode
EOF
if [ ! -f "$DEMO/etiqueta.txt" ]; then
  cat >"$DEMO/etiqueta.txt" <<'EOF'
DADOSEMPRESA
Pedido NUMPEDIDO - DATAHORA
PRODA1
PRODB1
PRODC1
PRODD1
Obs: OBSA1
EOF
fi

# The demo's own per-user store, so that the settings of a real
# installation under this user are neither read nor changed.
export XDG_CONFIG_HOME="$DEMO/config"
mkdir -p "$XDG_CONFIG_HOME/Varelo"
cat >"$XDG_CONFIG_HOME/Varelo/settings.ini" <<EOF
[Config]
Terminal=0
LinhaFim=3
ResumoContaPalm=0
FonteCupomCozinha=DejaVu Sans Mono
TamFonteCupomCozinha=12
Nome=Restaurante Sabor da Casa
Endereco=Rua do Comércio, 100
Cidade=São Paulo
UF=SP
Servico=10
Couvert=0
ImpCupom=default
ImpEtiqueta=$DEMO/etiquetas.prn
EOF

args=(--home "$DEMO" --print-to "$DEMO/impressoras")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  args+=(--headless)
fi

cat <<EOF
VareloSync demo
  program folder:   $DEMO
  monitored folder: $DEMO/comandas
  printed tickets:  $DEMO/impressoras/<printer>/
  database:         127.0.0.1:$PORT (root / qzx48216), or: $DB sql $DB_DIR
Try, from another terminal:
  printf '1;Inteira;5;sem pimenta;5;Joao;;0\\r\\n' > $DEMO/comandas/INCLUSAO5.txt
  printf '\\r\\n' > $DEMO/comandas/PRINTM5.txt
EOF

"$BUILD/varelosync" "${args[@]}"
