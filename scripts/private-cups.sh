#!/usr/bin/env bash
# A private CUPS scheduler for tests, kept entirely in one folder and reached
# only over TCP on 127.0.0.1, so that it neither needs nor touches the
# machine's own CUPS (its configuration, queues, sockets or logs).
#
#   private-cups.sh start DIR PORT   fresh scheduler on 127.0.0.1:PORT with one
#                                    queue, varelo-teste, whose jobs are
#                                    written unchanged to DIR/out/job.prn
#   private-cups.sh stop DIR         shut it down and remove its files
#                                    (DIR/out is kept for the caller)
#   private-cups.sh status DIR       exit 0 when the scheduler answers
#   private-cups.sh lpstat DIR ARGS  lpstat ARGS against the scheduler
#   private-cups.sh jobs DIR         the number of the queue's jobs, in every
#                                    state
#   private-cups.sh reject DIR       the queue stops taking jobs
#   private-cups.sh accept DIR       the queue takes jobs again
#   private-cups.sh wait-job DIR     wait (30 s at most) until DIR/out/job.prn
#                                    holds a whole PDF; exit 1 when none came
#
# Programs reach it with CUPS_SERVER=127.0.0.1:PORT (libcups, and through it
# Qt Print Support) or with `-h 127.0.0.1:PORT` (lpstat, lp, lpadmin).
# Files in DIR: conf/ (cupsd.conf, cups-files.conf, printers.conf, ppd/),
# spool/, cache/, state/, tmp/, log/, out/, cupsd.pid, port.
#
# start is safe to repeat: a scheduler left in DIR by an earlier run is
# stopped first and its files wiped.
set -euo pipefail

QUEUE=varelo-teste
START_TIMEOUT=${VARELO_CUPS_START_TIMEOUT:-30}
STOP_TIMEOUT=15

die() { printf 'private-cups: %s\n' "$*" >&2; exit 1; }
# shellcheck source=lib/private-server.sh
. "$(dirname "${BASH_SOURCE[0]}")/lib/private-server.sh"

usage() {
  cat >&2 <<'EOF'
usage: private-cups.sh start DIR PORT
       private-cups.sh stop DIR
       private-cups.sh status DIR
       private-cups.sh lpstat DIR ARGS...
       private-cups.sh jobs|reject|accept|wait-job DIR
EOF
  exit 2
}

set_dir() {
  server_folder "$1"
  CONF="$DIR/conf"
  CUPSD_CONF="$CONF/cupsd.conf"
  FILES_CONF="$CONF/cups-files.conf"
  PIDFILE="$DIR/cupsd.pid"
  PORTFILE="$DIR/port"
  ERRLOG="$DIR/log/error_log"
  OWNER_ARG=$CUPSD_CONF
}

stop_server() {
  local pids pid
  mapfile -t pids < <(server_pids)
  for pid in "${pids[@]}"; do
    # SIGTERM makes cupsd cancel its running jobs and exit cleanly.
    kill -TERM "$pid" 2>/dev/null || true
    if ! wait_gone "$pid" "$STOP_TIMEOUT"; then
      kill -KILL "$pid" 2>/dev/null || true
      wait_gone "$pid" 5 || die "scheduler process $pid does not end"
    fi
  done
  rm -f "$PIDFILE"
}

wipe_files() {
  rm -rf -- "$CONF" "$DIR/spool" "$DIR/cache" "$DIR/state" "$DIR/tmp" \
    "$DIR/log" "$PORTFILE"
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

answers() {
  "$LPSTAT" -h "127.0.0.1:$1" -r >/dev/null 2>&1
}

write_config() {
  local port=$1 user_lines
  if [ "$(id -u)" -eq 0 ]; then
    # As root the scheduler runs its filters and backends as lp, the
    # packaged default; root itself is the system group for admin requests.
    user_lines="User lp
Group lp
SystemGroup root"
  else
    # An ordinary user can run a scheduler for itself: everything it starts
    # runs as that user.
    user_lines="User $(id -un)
Group $(id -gn)
SystemGroup $(id -gn)"
  fi

  cat >"$FILES_CONF" <<EOF
$user_lines
ServerRoot $CONF
RequestRoot $DIR/spool
TempDir $DIR/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ServerKeychain $CONF/ssl
AccessLog $DIR/log/access_log
ErrorLog $ERRLOG
PageLog $DIR/log/page_log
# The test queue writes its jobs to a file, which CUPS 2.4 allows only when
# asked to.
FileDevice Yes
EOF

  # Only 127.0.0.1:PORT, no local socket, no browsing or sharing, and every
  # request allowed without authentication: nothing but this machine's own
  # processes can reach it, and it prints to nothing but a file.
  cat >"$CUPSD_CONF" <<EOF
LogLevel ${VARELO_CUPS_LOG_LEVEL:-warn}
MaxLogSize 0
Listen 127.0.0.1:$port
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultEncryption Never
DefaultAuthType None
PreserveJobFiles No
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order allow,deny
    Allow 127.0.0.1
  </Limit>
</Policy>
EOF
}

# The queue's driver: PDF and PostScript go through gziptoany, which copies
# them unchanged, so the device file holds exactly what the program sent (Qt
# sends PDF). A raw queue would need no driver, but CUPS 2.4 deprecates raw
# queues and, with a file device, completes their jobs without writing them.
write_ppd() {
  cat >"$DIR/tmp/$QUEUE.ppd" <<'EOF'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "VARELO.PPD"
*Manufacturer: "VareloSync"
*Product: "(VareloSync test queue)"
*ModelName: "VareloSync test queue"
*ShortNickName: "VareloSync test queue"
*NickName: "VareloSync test queue"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsModelNumber: 0
*cupsManualCopies: False
*cupsFilter: "application/pdf 0 gziptoany"
*cupsFilter: "application/postscript 0 gziptoany"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 36 577 806"
*ImageableArea Letter/US Letter: "18 36 594 756"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/US Letter: "612 792"
*DefaultFont: Courier
*Font Courier: Standard "(001.004)" Standard ROM
EOF
}

cmd_start() {
  local port=${1:-} i pid
  if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
    die "bad port '${port}'"
  fi
  mkdir -p "$DIR"
  stop_server
  wipe_files
  port_in_use "$port" && die "port $port on 127.0.0.1 is already taken by another program"

  mkdir -p "$CONF/ppd" "$CONF/ssl" "$DIR/spool/tmp" "$DIR/cache" "$DIR/state" \
    "$DIR/tmp" "$DIR/log" "$DIR/out"
  # The filters run as lp (or as the user): they must reach the spool and
  # temporary folders, so the folders on the way there may not be private.
  chmod 755 "$DIR" "$CONF" "$DIR/cache" "$DIR/state" "$DIR/log"
  chmod 1777 "$DIR/tmp" "$DIR/out"
  chmod 710 "$DIR/spool"
  chmod 1770 "$DIR/spool/tmp"
  if [ "$(id -u)" -eq 0 ]; then
    chgrp lp "$DIR/spool" "$DIR/spool/tmp"
    # A folder above DIR that lp cannot search (mkdtemp makes them 0700)
    # would only show up later as jobs that stop with a filter error.
    if command -v runuser >/dev/null 2>&1 &&
        ! runuser -u lp -- test -x "$DIR/spool"; then
      die "user lp cannot reach $DIR/spool: make the folders above $DIR searchable (chmod o+x)"
    fi
  fi
  write_config "$port"
  : >"$ERRLOG"

  # -f keeps cupsd in the foreground, so $! is the scheduler itself; setsid
  # detaches it from the caller's terminal and process group.
  setsid "$CUPSD" -f -c "$CUPSD_CONF" -s "$FILES_CONF" \
    </dev/null >>"$DIR/log/cupsd.out" 2>&1 &
  pid=$!
  echo "$pid" >"$PIDFILE"
  echo "$port" >"$PORTFILE"

  for ((i = 0; i < START_TIMEOUT * 10; i++)); do
    answers "$port" && break
    if ! kill -0 "$pid" 2>/dev/null; then
      tail -n 20 "$ERRLOG" "$DIR/log/cupsd.out" >&2 || true
      rm -f "$PIDFILE"
      die "cupsd ended during start-up (log: $ERRLOG)"
    fi
    sleep 0.1
  done
  if [ "$i" -ge $((START_TIMEOUT * 10)) ]; then
    tail -n 20 "$ERRLOG" >&2 || true
    stop_server
    die "cupsd did not answer on 127.0.0.1:$port within ${START_TIMEOUT}s (log: $ERRLOG)"
  fi

  write_ppd
  local out ok=0
  # A scheduler that has just started to answer may still drop the first
  # administrative connection ("Bad file descriptor"): try a few times.
  for ((i = 0; i < 10; i++)); do
    if out=$("$LPADMIN" -h "127.0.0.1:$port" -p "$QUEUE" -E \
        -v "file://$DIR/out/job.prn" -P "$DIR/tmp/$QUEUE.ppd" \
        -D "VareloSync test queue" 2>&1); then
      ok=1
      break
    fi
    sleep 0.5
  done
  if [ "$ok" != 1 ]; then
    printf '%s\n' "$out" >&2
    stop_server
    die "lpadmin could not create the queue $QUEUE"
  fi
  if ! "$LPSTAT" -h "127.0.0.1:$port" -a "$QUEUE" >/dev/null 2>&1; then
    stop_server
    die "the queue $QUEUE does not accept jobs"
  fi
}

cmd_stop() {
  stop_server
  wipe_files
}

cmd_status() {
  local port
  [ -f "$PORTFILE" ] || exit 1
  port=$(tr -dc '0-9' <"$PORTFILE")
  [ -n "$port" ] && answers "$port"
}

# The port of the scheduler running in DIR.
running_port() {
  [ -f "$PORTFILE" ] || die "no scheduler in $DIR"
  tr -dc '0-9' <"$PORTFILE"
}

cmd_jobs() {
  local port
  port=$(running_port)
  "$LPSTAT" -h "127.0.0.1:$port" -W all -o "$QUEUE" | grep -c "^$QUEUE-" || true
}

# cupsaccept or cupsreject (found in /usr/sbin too, as every tool here).
cmd_queue() {
  local tool port
  tool=$(find_tool "$1")
  port=$(running_port)
  "$tool" -h "127.0.0.1:$port" "$QUEUE"
}

cmd_wait_job() {
  local i
  for ((i = 0; i < 300; i++)); do
    # A PDF is whole once it ends with %%EOF.
    tail -c 8 "$DIR/out/job.prn" 2>/dev/null | grep -q '%%EOF' && return 0
    sleep 0.1
  done
  return 1
}

[ $# -ge 2 ] || usage
command=$1; shift
set_dir "$1"; shift

LPSTAT=$(find_tool lpstat)
case "$command" in
  start)
    [ $# -eq 1 ] || usage
    CUPSD=$(find_tool cupsd)
    LPADMIN=$(find_tool lpadmin)
    cmd_start "$1" ;;
  stop)   [ $# -eq 0 ] || usage; cmd_stop ;;
  status) [ $# -eq 0 ] || usage; cmd_status ;;
  lpstat) "$LPSTAT" -h "127.0.0.1:$(running_port)" "$@" ;;
  jobs) [ $# -eq 0 ] || usage; cmd_jobs ;;
  reject) [ $# -eq 0 ] || usage; cmd_queue cupsreject ;;
  accept) [ $# -eq 0 ] || usage; cmd_queue cupsaccept ;;
  wait-job) [ $# -eq 0 ] || usage; cmd_wait_job ;;
  *) usage ;;
esac
