# Sourced by the kovra-cli test scripts: the checks they make of a run, counted for the
# closing "N passed, N failed" line. A run sets rc, out and err.
passes=0
failures=0
rc=0
out=""
err=""

check() { # check LABEL CONDITION...
  local label=$1
  shift
  if "$@"; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    echo "FAIL  $label  (rc=$rc, stdout: ${out:0:300}, stderr: ${err:0:300})"
  fi
}
# The run a check looks at: $program with these arguments, its output kept in $work. A script
# that runs it otherwise (under Wine, with a bound) defines its own after sourcing this.
kovra() {
  "$program" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null
  rc=$?
  out=$(cat "$work/stdout")
  err=$(cat "$work/stderr")
}
is() { [ "$1" = "$2" ]; }
has() { [[ "$1" == *"$2"* ]]; }
# A Python expression over d, the JSON document on stdout (parsed: it must be valid JSON).
json() { printf '%s' "$out" | python3 -c "import json,sys; d=json.load(sys.stdin); print($1)" 2>&1; }

finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
