#!/usr/bin/env bash
# The program's command line: help and version, usage errors, and options that take a value.
# Runs without a display, so a word that wrongly started the window fails at once.
# Usage: command_line.sh BINARY VERSION
set -uo pipefail
binary=$(realpath "$1")
version=$2
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/stdin"
failures=0

# expect STATUS STDOUT STDERR ARGUMENT...: STDOUT and STDERR are glob patterns, '' for nothing.
expect() {
  local status=$1 out_pattern=$2 err_pattern=$3
  shift 3
  (cd "$work" && "$binary" "$@" <"$work/stdin" >"$work/out" 2>"$work/err")
  local got=$? out err
  out=$(<"$work/out")
  err=$(<"$work/err")
  # shellcheck disable=SC2053 # the expectations are patterns
  if [[ $got != "$status" || $out != $out_pattern || $err != $err_pattern ]]; then
    printf 'ftpquorrel %s: expected status %s, got %s\n--- stdout:\n%s\n--- stderr:\n%s\n' \
      "$*" "$status" "$got" "$out" "$err"
    failures=$((failures + 1))
  fi
}

expect 0 "usage: ftpquorrel*--script FILE*--answer yes|no*--version*" "" --help
expect 0 "usage: ftpquorrel*" "" -h
expect 0 "ftpquorrel (FTP Quorrel) $version" "" --version
expect 2 "" "ftpquorrel: unknown option '--verbose'"$'\n'"usage: ftpquorrel*" --verbose
expect 2 "" "ftpquorrel: unexpected argument 'ftp.example.org'"$'\n'"usage: *" ftp.example.org
expect 2 "" "usage: ftpquorrel*" --script
expect 1 "" "ftpquorrel: cannot open the window: no display is set*--script FILE*"
DISPLAY=:97 expect 1 "" "*ftpquorrel: cannot open the window on the display \":97\"."

# The values of --answer and --script ("no", "-") are not taken for stray words.
printf 'type 1000 cli.example\nclose\n' >"$work/stdin"
expect 0 "" "" --answer no --script -
if ! grep -q "^Sname=cli.example;" "$work/DEVurorure.ini" 2>/dev/null; then
  echo "--script - did not run the script in the current directory"
  failures=$((failures + 1))
fi
exit $((failures > 0))
