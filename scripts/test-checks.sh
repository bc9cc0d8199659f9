#!/usr/bin/env bash
# Each check script fails where it must: a check that cannot fail proves
# nothing.   test-checks.sh SOURCE_DIR
set -uo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
# must_fail WHAT COMMAND...: the command must exit with a failure.
must_fail() {
  local what=$1
  shift
  if "$@" >"$work/said" 2>&1; then
    echo "FAIL: $what passed: $(head -c 300 "$work/said")"
    status=1
  else
    echo "ok: $what fails"
  fi
}

# A report with a negative limit, and one that is no JSON at all.
python3 - "$work/bad.json" <<'PY'
import json, sys
json.dump({"schema_version": 2, "program": {"name": "x"}}, open(sys.argv[1], "w"))
PY
echo "{ not json" >"$work/broken.json"
must_fail "validate-json.py on a document the schema refuses" "$src/scripts/validate-json.py" "$src/docs/report.schema.json" "$work/bad.json"
must_fail "validate-json.py on text that is no JSON" "$src/scripts/validate-json.py" "$src/docs/report.schema.json" "$work/broken.json"

# A README whose key table lost a row.
grep -v '^| `opengl.vendor` ' "$src/README.md" >"$work/README.md"
must_fail "json-keys.py on a table that differs from the schema" "$src/scripts/json-keys.py" "$src/docs/report.schema.json" "$work/README.md"

# A program past its ceiling.
head -c $((2 * 1024 + 1)) /dev/zero >"$work/big.exe"
must_fail "check-size.sh on a program past its ceiling" "$src/scripts/check-size.sh" "$work/big.exe" 2

# Two builds that differ by one byte.
printf 'a' >"$work/one"
printf 'b' >"$work/two"
must_fail "check-reproducible.sh on two builds that differ" "$src/scripts/check-reproducible.sh" --same "$work/one" "$work/two"

# And each passes what it must pass.
"$src/scripts/check-reproducible.sh" --same "$work/one" "$work/one" >/dev/null || { echo "FAIL: check-reproducible.sh refuses identical files"; status=1; }
"$src/scripts/json-keys.py" "$src/docs/report.schema.json" "$src/README.md" >/dev/null || { echo "FAIL: json-keys.py refuses the README"; status=1; }
exit "$status"
