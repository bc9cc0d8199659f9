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

# A README whose key table lost a row, has one more, names a type wrongly, or has none.
grep -v '^| `opengl.vendor` ' "$src/docs/json.md" >"$work/README.md"
must_fail "json-keys.py on a table that lost a row" "$src/scripts/json-keys.py" "$src/docs/report.schema.json" "$work/README.md"
sed 's/^| `opengl.vendor` .*/&\n| `opengl.maker` | string | Who made it. |/' "$src/docs/json.md" >"$work/README-more.md"
must_fail "json-keys.py on a table with a row too many" "$src/scripts/json-keys.py" "$src/docs/report.schema.json" "$work/README-more.md"
sed 's/^\(| `opengl.vendor` | \)string/\1integer/' "$src/docs/json.md" >"$work/README-type.md"
cmp -s "$src/docs/json.md" "$work/README-type.md" && { echo "FAIL: the type of opengl.vendor was not changed"; status=1; }
must_fail "json-keys.py on a table with a wrong type" "$src/scripts/json-keys.py" "$src/docs/report.schema.json" "$work/README-type.md"
grep -v 'json-keys: end' "$src/docs/json.md" >"$work/README-open.md"
must_fail "json-keys.py on a README without its table's end" "$src/scripts/json-keys.py" "$src/docs/report.schema.json" "$work/README-open.md"
must_fail "validate-json.py with no file to validate" "$src/scripts/validate-json.py" "$src/docs/report.schema.json"

# A program past its ceiling.
head -c $((2 * 1024 + 1)) /dev/zero >"$work/big.exe"
must_fail "check-size.sh on a program past its ceiling" "$src/scripts/check-size.sh" "$work/big.exe" 2
head -c $((2 * 1024)) /dev/zero >"$work/at.exe"
"$src/scripts/check-size.sh" "$work/at.exe" 2 >/dev/null || { echo "FAIL: check-size.sh refuses a program at its ceiling"; status=1; }

# A release zip that holds less than it must, or what others cannot read, or
# sums that do not hold; and one that is sound.
python3 - "$work" <<'PY'
import hashlib, sys, zipfile
work = sys.argv[1]
files = {"gl-renderer-info.exe": b"MZ", "README.txt": b"read me\r\n", "report.schema.json": b"{}"}
def make(name, files, modes={}, sums=None):
    if sums is None:
        sums = "".join(f"{hashlib.sha256(b).hexdigest()}  {n}\n" for n, b in files.items())
    with zipfile.ZipFile(f"{work}/{name}.zip", "w") as z:
        for n, b in list(files.items()) + [("SHA256SUMS", sums.encode())]:
            info = zipfile.ZipInfo(n, date_time=(2026, 1, 1, 0, 0, 0))
            info.create_system = 3
            info.external_attr = modes.get(n, 0o100644) << 16
            z.writestr(info, b)
make("sound", files)
make("private", files, {"README.txt": 0o100600})
make("no-schema", {n: b for n, b in files.items() if n != "report.schema.json"})
make("bad-sums", files, sums=f"{hashlib.sha256(b'other').hexdigest()}  README.txt\n")
PY
must_fail "check-reproducible.sh --zip on a file others cannot read" "$src/scripts/check-reproducible.sh" --zip "$work/private.zip"
must_fail "check-reproducible.sh --zip without the schema" "$src/scripts/check-reproducible.sh" --zip "$work/no-schema.zip"
must_fail "check-reproducible.sh --zip with sums that do not hold" "$src/scripts/check-reproducible.sh" --zip "$work/bad-sums.zip"
must_fail "check-reproducible.sh --zip on no zip" "$src/scripts/check-reproducible.sh" --zip "$work/bad.json"

# Two builds that differ by one byte.
printf 'a' >"$work/one"
printf 'b' >"$work/two"
must_fail "check-reproducible.sh on two builds that differ" "$src/scripts/check-reproducible.sh" --same "$work/one" "$work/two"

# Without the registry's gl.xml the build stops, and names the package.
must_fail "configuring without gl.xml" cmake -S "$src" -B "$work/no-registry" -DGRI_GL_XML="$work/no-such/gl.xml" -DGRI_CROSS=OFF
grep -q "khronos-api" "$work/said" || { echo "FAIL: the message names no package: $(tail -c 300 "$work/said")"; status=1; }

# And each passes what it must pass.
"$src/scripts/check-reproducible.sh" --same "$work/one" "$work/one" >/dev/null || { echo "FAIL: check-reproducible.sh refuses identical files"; status=1; }
"$src/scripts/json-keys.py" "$src/docs/report.schema.json" "$src/docs/json.md" >/dev/null || { echo "FAIL: json-keys.py refuses the README"; status=1; }
"$src/scripts/check-reproducible.sh" --zip "$work/sound.zip" >/dev/null || { echo "FAIL: check-reproducible.sh refuses a sound zip"; status=1; }
exit "$status"
