#!/usr/bin/env bash
# Runs a checker that ends with status 0 even when it warns, and fails when it says anything.
# Usage: expect_silent.sh [--ignore-stdout] COMMAND [ARGUMENT...]
set -uo pipefail
ignore_stdout=0
if [[ ${1:-} == --ignore-stdout ]]; then
  ignore_stdout=1
  shift
fi
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$@" >"$out" 2>"$err"
status=$?
if ((ignore_stdout)); then
  : >"$out"
fi
if ((status != 0)) || [[ -s $out || -s $err ]]; then
  echo "$* ended with status $status and said:"
  cat "$out" "$err"
  exit 1
fi
