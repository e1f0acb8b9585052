#!/usr/bin/env bash
# Plants each fault of tests/planted_faults.txt in turn and tells which test
# suites catch it.
#
#   scripts/plant-faults.sh BUILD_DIR [SUITE ...]
#
# Default suites: unit_tests db_tests gui_tests fault_points.
# BUILD_DIR must be configured already (with the fault points if those
# suites are wanted). For each fault: the text is replaced in the source, the
# build folder is rebuilt (cmake --build -j2), each suite is run alone with
# ctest (which starts the database fixture itself), and the file is put back
# byte for byte from a copy, never with git, so uncommitted work survives.
#
# A fault whose original text is not found exactly once in the production
# folders is reported "not found"; one that breaks the build, "no build".
# Both are skipped. Per-fault output goes to BUILD_DIR/planted-faults/.
# Environment: PLANT_FAULTS_LIST (another list), PLANT_FAULTS_ONLY (names of
# the faults to run, space-separated: a long baseline can be split over
# several runs), PLANT_FAULTS_TIMEOUT (seconds for one suite, default 1500;
# a suite that times out caught it). An interrupted run restores the file,
# prints the table of the faults done so far and rebuilds.
set -uo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LIST=${PLANT_FAULTS_LIST:-$REPO/tests/planted_faults.txt}
TIMEOUT=${PLANT_FAULTS_TIMEOUT:-1500}
ONLY=" ${PLANT_FAULTS_ONLY:-} "
# Production folders, old layout and new: whichever exist are searched.
PROD_DIRS=(app base core db transactions export printing checks)

die() { printf 'plant-faults: %s\n' "$*" >&2; exit 2; }

[ $# -ge 1 ] || die "usage: plant-faults.sh BUILD_DIR [SUITE ...]"
BUILD=$(realpath -m -- "$1")
shift
SUITES=("$@")
[ ${#SUITES[@]} -gt 0 ] || SUITES=(unit_tests db_tests gui_tests fault_points)
[ -f "$BUILD/CMakeCache.txt" ] || die "$BUILD is not a configured build folder"
[ -f "$LIST" ] || die "no list $LIST"

DIRS=()
for d in "${PROD_DIRS[@]}"; do [ -d "$REPO/$d" ] && DIRS+=("$REPO/$d"); done
[ ${#DIRS[@]} -gt 0 ] || die "no production folder in $REPO"

exec 3>&1 4>&2  # the script's own output, for the interruption report
OUT="$BUILD/planted-faults"
mkdir -p "$OUT"
BACKUP="$OUT/original.bak"

# Background jobs get their own process group (set -m), so that an
# interruption can stop a whole ctest run with its test programs.
set -m
child=""
run() {
  "$@" &
  child=$!
  wait "$child"
  local rc=$?
  child=""
  return $rc
}

# ---- the list --------------------------------------------------------------

# Blocks of "name: description", "- original", "+ replacement", separated by
# blank lines; "#" lines are comments. Printed NUL-separated, four fields a
# fault, so that any byte of the source text passes unchanged.
parse_list() {
  perl -e '
    use strict; use warnings;
    my ($file) = @ARGV;
    open my $h, "<:raw", $file or die "cannot read $file\n";
    my @blocos; my $b;
    my $fecha = sub {
      return unless $b;
      die "planted_faults: block \"$b->{nome}\" needs one \"- \" and one \"+ \" line\n"
        unless defined $b->{de} && defined $b->{para};
      push @blocos, $b; undef $b;
    };
    while (my $l = <$h>) {
      $l =~ s/\r?\n\z//;
      next if $l =~ /^#/;
      if ($l =~ /^\s*\z/) { $fecha->(); next; }
      if (!$b) {
        $l =~ /^([A-Za-z0-9_.-]+):\s*(.*)\z/ or die "planted_faults: line $.: expected \"name: description\"\n";
        $b = { nome => $1, desc => $2 };
      } elsif ($l =~ /^- (.*)\z/s && !defined $b->{de})   { $b->{de} = $1; }
      elsif ($l =~ /^\+ (.*)\z/s && !defined $b->{para}) { $b->{para} = $1; }
      else { die "planted_faults: line $.: unexpected in block \"$b->{nome}\"\n"; }
    }
    $fecha->();
    my %visto;
    for (@blocos) {
      die "planted_faults: name \"$_->{nome}\" twice\n" if $visto{$_->{nome}}++;
      die "planted_faults: \"$_->{nome}\" changes nothing\n" if $_->{de} eq $_->{para};
      print join("\0", @$_{qw(nome desc de para)}), "\0";
    }
  ' "$LIST"
}

# Prints "COUNT<TAB>FILE": how often ORIG occurs in the C++ sources of the
# production folders, and the last file where it does.
locate() {
  ORIG=$1 perl -MFile::Find -e '
    my $o = $ENV{ORIG}; my ($n, $onde) = (0, "");
    find({ no_chdir => 1, wanted => sub {
      return unless -f $_ && /\.(cpp|cc|h|hpp)\z/;
      open my $h, "<:raw", $_ or return; local $/; my $t = <$h>;
      for (my $p = 0; ($p = index($t, $o, $p)) >= 0; $p += length $o) { $n++; $onde = $File::Find::name; }
    }}, @ARGV);
    print "$n\t$onde\n";
  ' "${DIRS[@]}"
}

# Replaces the one occurrence of ORIG in FILE by REPL, in place.
plant() {
  ORIG=$2 REPL=$3 perl -e '
    my ($f) = @ARGV; local $/;
    open my $h, "<:raw", $f or die "cannot read $f\n"; my $t = <$h>; close $h;
    my $p = index($t, $ENV{ORIG}); die "text not in $f\n" if $p < 0;
    substr($t, $p, length $ENV{ORIG}) = $ENV{REPL};
    open $h, ">:raw", $f or die "cannot write $f\n"; print $h $t; close $h or die "cannot write $f\n";
  ' "$1"
}

# ---- restoring -------------------------------------------------------------

planted=""   # the file that holds a planted fault right now

# Copies the original bytes back. A plain cp gives the file a new time, so
# the next build compiles it again.
restore() {
  [ -n "$planted" ] || return 0
  cp -- "$BACKUP" "$planted" || { echo "plant-faults: COULD NOT RESTORE $planted from $BACKUP" >&2; return 1; }
  cmp -s -- "$BACKUP" "$planted" || { echo "plant-faults: $planted differs from $BACKUP" >&2; return 1; }
  planted=""
  rm -f -- "$BACKUP"
}

# ---- the table -------------------------------------------------------------

NAMES=(); ROWS=(); notfound=(); nobuild=(); tested=0
inicio=$(date +%s)

# One row per fault done so far (its name, a cell per suite, then "any"),
# and a totals row: how many faults each suite caught of those tested.
print_table() {
  local w=24 cols=("${SUITES[@]}" any) cw=() c l k n
  for n in "${NAMES[@]}"; do [ ${#n} -ge $w ] && w=$(( ${#n} + 1 )); done
  for c in "${cols[@]}"; do l=${#c}; [ $l -lt 9 ] && l=9; cw+=("$l"); done
  line() {
    printf "%-${w}s" "$1"; shift
    local j=0 cell
    for cell in "$@"; do printf " %-${cw[j]}s" "$cell"; j=$((j + 1)); done
    printf '\n'
  }
  echo
  line fault "${cols[@]}"
  for k in "${!NAMES[@]}"; do
    if [ "${ROWS[k]}" = "not found" ] || [ "${ROWS[k]}" = "no build" ]; then
      line "${NAMES[k]}" "(${ROWS[k]})"
    else
      read -r -a cells <<<"${ROWS[k]}"
      line "${NAMES[k]}" "${cells[@]}"
    fi
  done
  # Counted from the finished rows only, so an interrupted fault counts nowhere.
  local totals=() caught=() cells j
  for c in "${cols[@]}"; do caught+=(0); done
  for k in "${!ROWS[@]}"; do
    read -r -a cells <<<"${ROWS[k]}"
    for j in "${!cells[@]}"; do [ "${cells[j]}" = caught ] && caught[j]=$(( caught[j] + 1 )); done
  done
  for j in "${!cols[@]}"; do totals+=("${caught[j]}/$tested"); done
  line "TOTAL caught" "${totals[@]}"
  echo
  echo "faults in the list: $(( ${#FIELDS[@]} / 4 )), tested: $tested," \
    "not found: ${#notfound[@]}${notfound[*]:+ (${notfound[*]})}," \
    "does not build: ${#nobuild[@]}${nobuild[*]:+ (${nobuild[*]})}"
  local s=$(( $(date +%s) - inicio ))
  printf 'run time: %dh%02dm%02ds\n' $((s / 3600)) $((s % 3600 / 60)) $((s % 60))
}

# ---- interruption ----------------------------------------------------------

on_signal() {
  trap - INT TERM HUP
  # The signal may come while a suite's output goes to its log: report on
  # the script's own output again.
  exec 1>&3 2>&4
  echo "plant-faults: interrupted" >&2
  [ -n "$child" ] && kill -TERM -- "-$child" 2>/dev/null
  wait 2>/dev/null
  # ctest was stopped before its fixture cleanup: the private server goes too.
  [ -d "$BUILD/test-mariadb" ] && "$REPO/scripts/private-mariadb.sh" stop "$BUILD/test-mariadb" >/dev/null 2>&1
  if [ -n "$planted" ]; then
    restore && echo "plant-faults: restored ${1:-}, rebuilding" >&2 &&
      cmake --build "$BUILD" -j2 >"$OUT/rebuild.log" 2>&1
  fi
  echo "INTERRUPTED: the table holds only the faults done before"
  print_table
  exit 130
}
trap on_signal INT TERM HUP
trap 'restore' EXIT

# ---- the run ---------------------------------------------------------------

# Every suite asked for must be a test of the build folder.
for s in "${SUITES[@]}"; do
  # Read whole first: with pipefail an early grep -q would fail the pipe.
  tests=$(ctest --test-dir "$BUILD" -N -R "^${s}\$")
  grep -Eq "Test +#[0-9]+: ${s}\$" <<<"$tests" ||
    die "no test named $s in $BUILD"
done

FIELDS=()
mapfile -d '' -t FIELDS < <(parse_list)
[ $(( ${#FIELDS[@]} % 4 )) -eq 0 ] && [ ${#FIELDS[@]} -gt 0 ] || die "cannot read the list $LIST"

for ((i = 0; i < ${#FIELDS[@]}; i += 4)); do
  name=${FIELDS[i]} desc=${FIELDS[i+1]} orig=${FIELDS[i+2]} repl=${FIELDS[i+3]}
  [ "$ONLY" = "  " ] || [[ "$ONLY" == *" $name "* ]] || continue
  log="$OUT/$name.log"
  : >"$log"
  printf '[%s] %s: %s\n' "$(date +%T)" "$name" "$desc"

  IFS=$'\t' read -r count file < <(locate "$orig")
  if [ "$count" != 1 ]; then
    echo "    not found (the text occurs $count times)"
    NAMES+=("$name"); ROWS+=("not found"); notfound+=("$name")
    continue
  fi

  cp -- "$file" "$BACKUP" || die "cannot copy $file"
  planted=$file
  plant "$file" "$orig" "$repl" || { restore; die "cannot plant $name in $file"; }
  echo "    planted in ${file#"$REPO"/}"

  if ! run cmake --build "$BUILD" -j2 >>"$log" 2>&1; then
    echo "    does not build"
    NAMES+=("$name"); ROWS+=("no build"); nobuild+=("$name")
    restore || exit 1
    continue
  fi

  row="" any=0
  for s in "${SUITES[@]}"; do
    run ctest --test-dir "$BUILD" -R "^${s}\$" --timeout "$TIMEOUT" --output-on-failure >"$log.$s" 2>&1
    rc=$?
    # Judged by the suite's own result line: a fixture that did not start
    # leaves the suite "Not Run", which is an error, not a catch.
    if grep -Eq "Test +#[0-9]+: ${s} \.+ +Passed" "$log.$s"; then
      r=missed
    elif grep -Eq "Test +#[0-9]+: ${s} \.+.*(Failed|Timeout|Exception|SEGFAULT|Child aborted|Subprocess aborted)" "$log.$s"; then
      r=caught; any=1
    else
      r=error
      echo "    $s: no result (ctest exit $rc), see $log.$s" >&2
    fi
    row+="$r "
    echo "    $s: $r"
  done
  if [ $any = 1 ]; then row+="caught"; else row+="missed"; fi
  NAMES+=("$name"); ROWS+=("$row")
  tested=$((tested + 1))
  restore || exit 1
done

# The build folder matches the source again.
echo "rebuilding the unmodified source"
run cmake --build "$BUILD" -j2 >"$OUT/rebuild.log" 2>&1 || echo "plant-faults: the final rebuild failed, see $OUT/rebuild.log" >&2

print_table
