#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run VareloSync.
#
#   scripts/install-deps.sh
#
# Runs as root, or through sudo when started by another user. When every
# package is already installed and the ODBC driver is registered it does
# nothing (set VARELO_APT_FORCE=1 to run apt-get anyway).
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libgtest-dev
  unixodbc unixodbc-dev odbcinst odbc-mariadb
  mariadb-server mariadb-client
  qt6-base-dev qt6-qpa-plugins libqt6printsupport6
  cups cups-client cups-bsd libcups2-dev
  fonts-dejavu-core
  poppler-utils
  systemd        # systemd-analyze rates the service unit in the tests
)
ODBC_DRIVER="MariaDB Unicode"
ODBC_TEMPLATE=/usr/share/odbc-mariadb/odbcinst.ini.template

log() { printf 'install-deps: %s\n' "$*" >&2; }

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  log "must run as root (sudo is not available)"
  exit 1
fi

missing_packages() {
  local p status
  for p in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || printf '%s\n' "$p"
  done
}

driver_registered() {
  command -v odbcinst >/dev/null 2>&1 &&
    odbcinst -q -d -n "$ODBC_DRIVER" >/dev/null 2>&1
}

mapfile -t MISSING < <(missing_packages)

if [ "${#MISSING[@]}" -gt 0 ] || [ "${VARELO_APT_FORCE:-0}" = 1 ]; then
  [ "${#MISSING[@]}" -gt 0 ] && log "installing: ${MISSING[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends "${PACKAGES[@]}" >/dev/null
  mapfile -t MISSING < <(missing_packages)
  if [ "${#MISSING[@]}" -gt 0 ]; then
    log "still missing after apt-get: ${MISSING[*]}"
    exit 1
  fi
fi

# odbc-mariadb registers its driver when it is configured; register it here
# when that did not happen (for example when odbcinst was not there yet).
if ! driver_registered; then
  log "registering ODBC driver \"$ODBC_DRIVER\""
  tmpl=$(mktemp)
  trap 'rm -f "$tmpl"' EXIT
  if [ -f "$ODBC_TEMPLATE" ]; then
    cp "$ODBC_TEMPLATE" "$tmpl"
  else
    cat >"$tmpl" <<EOF
[$ODBC_DRIVER]
Driver      = libmaodbc.so
Description = MariaDB Connector/ODBC(Unicode)
Threading   = 0
EOF
  fi
  "${SUDO[@]}" odbcinst -i -d -f "$tmpl" >/dev/null
  if ! driver_registered; then
    log "ODBC driver \"$ODBC_DRIVER\" is not registered in $(odbcinst -j 2>/dev/null | sed -n 's/^DRIVERS[^:]*: //p')"
    exit 1
  fi
fi
