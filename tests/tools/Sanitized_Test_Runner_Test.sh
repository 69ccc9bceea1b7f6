#!/usr/bin/env bash
# Checks tools/sanitized_test.sh: a run that ends in the leak checker's own
# tracer failure is run once more; any other failure stands at once.
set -u
runner="$1/tools/sanitized_test.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A fake test program: counts its runs in $work/runs and behaves as told by
# the words of $work/plan, one word per run: pass, fail or tracer.
cat >"$work/fake" <<'FAKE'
#!/usr/bin/env bash
dir="$(dirname "$0")"
n=$(( $(cat "$dir/runs" 2>/dev/null || echo 0) + 1 ))
echo "$n" >"$dir/runs"
what="$(cut -d' ' -f"$n" "$dir/plan")"
echo "run $n says $what"
case "$what" in
  pass) exit 0 ;;
  fail) echo "[  FAILED  ] a real failure" >&2; exit 1 ;;
  tracer) echo "Tracer caught signal 11: addr=0x1fa0 pc=0x1 sp=0x2" >&2
          echo "==1==LeakSanitizer has encountered a fatal error." >&2; exit 1 ;;
esac
FAKE
chmod +x "$work/fake"

failed=0
# plan | expected exit code | expected number of runs
while read -r plan want_rc want_runs; do
  rm -f "$work/runs"
  echo "${plan//,/ }" >"$work/plan"
  "$runner" "$work/fake" >"$work/out" 2>"$work/err"
  rc=$?
  runs="$(cat "$work/runs")"
  if [ "$rc" -ne "$want_rc" ] || [ "$runs" -ne "$want_runs" ]; then
    echo "plan $plan: exit $rc after $runs runs, expected exit $want_rc after $want_runs" >&2
    failed=1
  fi
  # What the program printed is passed on.
  grep -q "run 1 says" "$work/out" || { echo "plan $plan: output not passed on" >&2; failed=1; }
done <<'CASES'
pass 0 1
fail 1 1
tracer,pass 0 2
tracer,fail 1 2
tracer,tracer 1 2
fail,pass 1 1
CASES
exit "$failed"
