#!/usr/bin/env bash
# A private MariaDB server for tests and the demo, kept entirely in one folder.
#
#   private-mariadb.sh start DIR PORT   fresh server on 127.0.0.1:PORT with the
#                                       database varelo built from db/schema.sql
#   private-mariadb.sh stop DIR         shut it down and remove its data
#   private-mariadb.sh pause DIR        shut it down and keep its data
#   private-mariadb.sh resume DIR       start a paused server again: same port,
#                                       same data
#   private-mariadb.sh reset DIR        drop and recreate every table
#   private-mariadb.sh seed DIR         load db/seed.sql (demo data)
#   private-mariadb.sh sql DIR [ARGS]   mariadb client on varelo (stdin or ARGS)
#   private-mariadb.sh status DIR       exit 0 when the server answers
#
# The program reaches it as root / qzx48216 over TCP, exactly as it reaches the
# restaurant's server. Files in DIR: my.cnf (server), client.cnf (client),
# data/, tmp/, mysqld.sock, mysqld.pid, mysqld.err.
#
# VARELO_DB_LOWER_CASE (default 1) sets lower_case_table_names at start: 0
# gives a server that tells table names apart by case, as a Linux server's
# default does.
#
# start is safe to repeat: a server left in DIR by an earlier run (running,
# crashed, stale pid or socket) is stopped first and its data wiped.
set -euo pipefail

SCRIPT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SCHEMA="$SCRIPT_DIR/db/schema.sql"
SEED="$SCRIPT_DIR/db/seed.sql"
DB_NAME=varelo
DB_PASSWORD=qzx48216
START_TIMEOUT=${VARELO_DB_START_TIMEOUT:-30}
STOP_TIMEOUT=15

die() { printf 'private-mariadb: %s\n' "$*" >&2; exit 1; }
# shellcheck source=lib/private-server.sh
. "$SCRIPT_DIR/lib/private-server.sh"

usage() {
  cat >&2 <<'EOF'
usage: private-mariadb.sh start DIR PORT
       private-mariadb.sh stop DIR
       private-mariadb.sh pause DIR
       private-mariadb.sh resume DIR
       private-mariadb.sh reset DIR
       private-mariadb.sh seed DIR
       private-mariadb.sh sql DIR [mariadb client arguments]
       private-mariadb.sh status DIR
EOF
  exit 2
}

set_dir() {
  server_folder "$1"
  CNF="$DIR/my.cnf"
  CLIENT_CNF="$DIR/client.cnf"
  DATA="$DIR/data"
  SOCK="$DIR/mysqld.sock"
  PIDFILE="$DIR/mysqld.pid"
  ERRLOG="$DIR/mysqld.err"
  OWNER_ARG="--defaults-file=$CNF"
}

stop_server() {
  local pids pid asked=0
  mapfile -t pids < <(server_pids)
  [ "${#pids[@]}" -gt 0 ] || { rm -f "$SOCK" "$SOCK.lock" "$PIDFILE"; return 0; }
  # A clean shutdown first; a server that cannot be asked gets SIGTERM, which
  # also shuts it down cleanly, and SIGKILL only when that does not work.
  if [ -f "$CLIENT_CNF" ] &&
      "$ADMIN" --defaults-file="$CLIENT_CNF" --connect-timeout=2 shutdown \
        >/dev/null 2>&1; then
    asked=1
  fi
  for pid in "${pids[@]}"; do
    [ "$asked" = 1 ] || kill -TERM "$pid" 2>/dev/null || true
    if ! wait_gone "$pid" "$STOP_TIMEOUT"; then
      kill -KILL "$pid" 2>/dev/null || true
      wait_gone "$pid" 5 || die "server process $pid does not end"
    fi
  done
  rm -f "$SOCK" "$SOCK.lock" "$PIDFILE"
}

wipe_data() {
  rm -rf -- "$DATA" "$DIR/tmp" "$DIR"/data.new.*
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

client() {
  "$CLIENT" --defaults-file="$CLIENT_CNF" "$@"
}

require_running() {
  [ -f "$CLIENT_CNF" ] || die "no server set up in $DIR (run start first)"
  client --connect-timeout=3 -e 'select 1' >/dev/null 2>&1 ||
    die "the server of $DIR does not answer"
}

apply_sql() {
  local file=$1 out
  [ -f "$file" ] || die "missing $file"
  if ! out=$(client "$DB_NAME" <"$file" 2>&1); then
    printf '%s\n' "$out" >&2
    die "loading $file failed"
  fi
}

write_config() {
  local port=$1 user_line=""
  [ "$(id -u)" -eq 0 ] && user_line="user=root"
  cat >"$CNF" <<EOF
[mysqld]
$user_line
datadir=$DATA
tmpdir=$DIR/tmp
socket=$SOCK
pid-file=$PIDFILE
log-error=$ERRLOG
port=$port
bind-address=127.0.0.1
skip-name-resolve
skip-log-bin
lower_case_table_names=${VARELO_DB_LOWER_CASE:-1}
character-set-server=utf8mb4
collation-server=utf8mb4_general_ci
performance_schema=OFF
max_connections=100
innodb_buffer_pool_size=64M
innodb_log_file_size=16M
innodb_flush_log_at_trx_commit=2
innodb_doublewrite=0
EOF
  cat >"$CLIENT_CNF" <<EOF
[client]
host=127.0.0.1
port=$port
user=root
password=$DB_PASSWORD
default-character-set=utf8mb4
EOF
  chmod 600 "$CLIENT_CNF"
  # Run once by the server at its first start on the fresh data: the password
  # and TCP access for root, and the empty database.
  cat >"$DIR/init.sql" <<EOF
ALTER USER 'root'@'localhost' IDENTIFIED BY '$DB_PASSWORD';
CREATE USER IF NOT EXISTS 'root'@'127.0.0.1' IDENTIFIED BY '$DB_PASSWORD';
ALTER USER 'root'@'127.0.0.1' IDENTIFIED BY '$DB_PASSWORD';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;
DELETE FROM mysql.global_priv WHERE User = '' OR (User = 'root' AND Host NOT IN ('localhost', '127.0.0.1'));
FLUSH PRIVILEGES;
CREATE DATABASE IF NOT EXISTS $DB_NAME CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
EOF
}

# Waits until the server just started as PID answers on PORT; dies when it
# ends or stays silent for START_TIMEOUT seconds.
wait_answer() {
  local pid=$1 port=$2 i
  for ((i = 0; i < START_TIMEOUT * 10; i++)); do
    if client --connect-timeout=1 -e 'select 1' "$DB_NAME" >/dev/null 2>&1; then
      return 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      tail -n 20 "$ERRLOG" >&2
      die "server ended during start-up (log: $ERRLOG)"
    fi
    sleep 0.1
  done
  tail -n 20 "$ERRLOG" >&2
  die "server did not answer on 127.0.0.1:$port within ${START_TIMEOUT}s (log: $ERRLOG)"
}

cmd_start() {
  local port=${1:-} new i pid
  if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
    die "bad port '${port}'"
  fi
  [ ${#SOCK} -lt 100 ] || die "socket path too long for a unix socket: $SOCK"
  mkdir -p "$DIR"

  stop_server
  wipe_data
  port_in_use "$port" && die "port $port on 127.0.0.1 is already taken by another program"

  write_config "$port"
  mkdir -p "$DIR/tmp"
  : >"$ERRLOG"

  new="$DIR/data.new.$$"
  if ! "$INSTALL_DB" --defaults-file="$CNF" --datadir="$new" \
      --auth-root-authentication-method=normal --skip-test-db \
      >"$DIR/install.log" 2>&1; then
    cat "$DIR/install.log" >&2
    rm -rf -- "$new"
    die "mariadb-install-db failed"
  fi
  mv "$new" "$DATA"
  rm -f "$DIR/install.log"

  setsid "$SERVER" --defaults-file="$CNF" --init-file="$DIR/init.sql" \
    </dev/null >>"$ERRLOG" 2>&1 &
  pid=$!

  wait_answer "$pid" "$port"
  apply_sql "$SCHEMA"
}

cmd_stop() {
  stop_server
  wipe_data
  rm -f "$DIR/init.sql"
}

# The server goes away as a crashed or rebooted one would for its clients,
# but cleanly, so that everything committed is there when it comes back.
cmd_pause() {
  [ -f "$CNF" ] && [ -d "$DATA" ] || die "no server set up in $DIR (run start first)"
  stop_server
}

cmd_resume() {
  local port pid
  [ -f "$CNF" ] && [ -d "$DATA" ] || die "no server set up in $DIR (run start first)"
  port=$(sed -n 's/^port=\([0-9][0-9]*\)$/\1/p' "$CNF" | head -n 1)
  [ -n "$port" ] || die "no port in $CNF"
  if [ -n "$(server_pids)" ]; then
    cmd_status && return 0
    die "the server of $DIR runs but does not answer"
  fi
  rm -f "$SOCK" "$SOCK.lock" "$PIDFILE"
  port_in_use "$port" && die "port $port on 127.0.0.1 is already taken by another program"
  mkdir -p "$DIR/tmp"
  setsid "$SERVER" --defaults-file="$CNF" </dev/null >>"$ERRLOG" 2>&1 &
  pid=$!
  wait_answer "$pid" "$port"
}

cmd_reset() {
  require_running
  apply_sql "$SCHEMA"
}

cmd_seed() {
  require_running
  apply_sql "$SEED"
}

cmd_sql() {
  [ -f "$CLIENT_CNF" ] || die "no server set up in $DIR (run start first)"
  exec "$CLIENT" --defaults-file="$CLIENT_CNF" "$DB_NAME" "$@"
}

cmd_status() {
  [ -f "$CLIENT_CNF" ] || exit 1
  client --connect-timeout=2 -e 'select 1' "$DB_NAME" >/dev/null 2>&1
}

[ $# -ge 2 ] || usage
command=$1; shift
set_dir "$1"; shift

CLIENT=$(find_tool mariadb mysql)
ADMIN=$(find_tool mariadb-admin mysqladmin)
case "$command" in
  start)
    [ $# -eq 1 ] || usage
    SERVER=$(find_tool mariadbd mysqld)
    INSTALL_DB=$(find_tool mariadb-install-db mysql_install_db)
    cmd_start "$1" ;;
  stop)   [ $# -eq 0 ] || usage; cmd_stop ;;
  pause)  [ $# -eq 0 ] || usage; cmd_pause ;;
  resume)
    [ $# -eq 0 ] || usage
    SERVER=$(find_tool mariadbd mysqld)
    cmd_resume ;;
  reset)  [ $# -eq 0 ] || usage; cmd_reset ;;
  seed)   [ $# -eq 0 ] || usage; cmd_seed ;;
  sql)    cmd_sql "$@" ;;
  status) [ $# -eq 0 ] || usage; cmd_status ;;
  *) usage ;;
esac
