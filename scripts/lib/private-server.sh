# Shared by the private servers' scripts (sourced): finding tools, the
# server's folder, and the server processes that belong to that folder.
# The sourcing script defines die and usage, and sets PIDFILE and OWNER_ARG
# (the command-line argument that marks its server process) before it looks
# for processes.

find_tool() {
  local t
  for t in "$@"; do
    if command -v "$t" >/dev/null 2>&1; then command -v "$t"; return 0; fi
    if [ -x "/usr/sbin/$t" ]; then echo "/usr/sbin/$t"; return 0; fi
  done
  die "none of $* found (run scripts/install-deps.sh)"
}

# DIR from the argument; the system's own folders are refused, since stop
# wipes what the server keeps there.
server_folder() {
  [ -n "${1:-}" ] || usage
  DIR=$(realpath -m -- "$1")
  case "$DIR" in
    /|/bin|/boot|/dev|/etc|/etc/*|/home|/lib*|/proc|/root|/run|/sbin|/sys|/tmp|/usr|/usr/*|/var|/var/*)
      die "refusing to use $DIR as the server folder" ;;
  esac
}

# A process belongs to DIR when it was started with OWNER_ARG; checking the
# command line keeps a recycled pid from being mistaken for it.
owns_pid() {
  local args
  args=$(tr '\0' '\n' 2>/dev/null <"/proc/$1/cmdline") || return 1
  grep -qxF -- "$OWNER_ARG" <<<"$args"
}

pid_alive() { [ -d "/proc/$1" ] && owns_pid "$1"; }

# The server's pid from its pid file or, when the file is gone or stale, by
# looking for the processes started for DIR.
server_pids() {
  local pid f
  if [ -f "$PIDFILE" ]; then
    pid=$(tr -dc '0-9' <"$PIDFILE" || true)
    if [ -n "$pid" ] && pid_alive "$pid"; then echo "$pid"; return 0; fi
  fi
  for f in /proc/[0-9]*/cmdline; do
    pid=${f#/proc/}; pid=${pid%/cmdline}
    owns_pid "$pid" && echo "$pid"
  done
  return 0
}

wait_gone() {
  local pid=$1 limit=$2 i=0
  while pid_alive "$pid"; do
    [ "$i" -ge $((limit * 10)) ] && return 1
    sleep 0.1; i=$((i + 1))
  done
  return 0
}
