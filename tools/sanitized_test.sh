#!/usr/bin/env bash
# Runs one test program of the sanitized build.
#
# LeakSanitizer checks for leaks when a program ends by stopping it from a
# tracer thread. On a loaded machine that tracer now and then dies of a
# signal of its own after every test has passed ("Tracer caught signal ...",
# then "LeakSanitizer has encountered a fatal error"): a fault of the
# sanitizer, not of the program. A run that ends that way is run once more,
# with the leak check on as before; every other result stands as it is.
set -u
out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
  "$@" >"$out" 2>"$err"
  rc=$?
  cat "$out"
  cat "$err" >&2
  if [ "$rc" -ne 0 ] && [ "$attempt" -eq 1 ] &&
     grep -q '^Tracer caught signal' "$err" &&
     grep -q 'LeakSanitizer has encountered a fatal error' "$err"; then
    echo "sanitized_test.sh: the leak checker's tracer failed; running the test again" >&2
    continue
  fi
  exit "$rc"
done
