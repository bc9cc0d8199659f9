#!/usr/bin/env bash
# Runs install-deps.sh against a stand-in apt-get, dpkg-query and dpkg that
# fail the way Debian's mirrors were seen to fail: an index that does not
# match its Release file (update exits 100), and i386 libraries that install
# only from the release's own suite, or never.
set -uo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/gri-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# The stand-ins keep their state in $FAKE (installed packages, update calls, a
# log of install transactions). FAKE_UPDATE_FAILS: how many updates exit 100;
# FAKE_I386: always, suite (only with -t) or never; FAKE_BROKEN: an amd64
# package that never installs.
cat >"$work/bin/apt-get" <<'SH'
#!/bin/bash
case "$1" in
  update)
    n=$(( $(cat "$FAKE/updates" 2>/dev/null || echo 0) + 1 )); echo "$n" >"$FAKE/updates"
    [ "$n" -le "${FAKE_UPDATE_FAILS:-0}" ] && { echo "E: File has unexpected size" >&2; exit 100; }
    exit 0 ;;
  install)
    shift; suite=""; pkgs=()
    while [ $# -gt 0 ]; do
      case "$1" in -t) suite=$2; shift ;; -*) ;; *) pkgs+=("$1") ;; esac
      shift
    done
    echo "${suite:-none} ${pkgs[*]}" >>"$FAKE/transactions"
    for p in "${pkgs[@]}"; do
      [ "$p" = "${FAKE_BROKEN:-}" ] && { echo "E: Unable to locate package $p" >&2; exit 100; }
      case "$p" in *:i386|wine32)
        case "${FAKE_I386:-always}" in
          never) echo "E: held broken packages" >&2; exit 100 ;;
          suite) [ "$suite" = "$FAKE_SUITE" ] || { echo "E: held broken packages" >&2; exit 100; } ;;
        esac ;;
      esac
    done
    printf '%s\n' "${pkgs[@]}" >>"$FAKE/installed" ;;
esac
SH
cat >"$work/bin/dpkg-query" <<'SH'
#!/bin/bash
p=${!#}
grep -qxF "$p" "$FAKE/installed" 2>/dev/null || exit 1
printf 'install ok installed'
SH
cat >"$work/bin/dpkg" <<'SH'
#!/bin/bash
case "$1" in
  --print-foreign-architectures) cat "$FAKE/arches" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$FAKE/arches" ;;
esac
SH
chmod +x "$work/bin/"*
printf 'VERSION_CODENAME=testrelease\n' >"$work/os-release"

failed=0
# run NAME [VAR=VALUE...]: install-deps.sh on the stand-in system NAME (empty
# unless made before); its status in $rc, what it said in $said.
run() {
  export FAKE="$work/$1"
  shift
  mkdir -p "$FAKE"
  said=$(env "$@" PATH="$work/bin:$PATH" FAKE_SUITE=testrelease GRI_OS_RELEASE="$work/os-release" \
    GRI_APT_RETRY_PAUSE=0 GRI_I686_PROBE=true "$scripts/install-deps.sh" 2>&1 >/dev/null)
  rc=$?
}
check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1 (exit $rc: $said)"; failed=1; fi
}
count() { grep -c -- "$2" "$FAKE/$1" 2>/dev/null || true; }
all=$("$scripts/install-deps.sh" --list | wc -l)

run update-retried FAKE_UPDATE_FAILS=1
check "an update that fails once is retried, and everything installs" \
  '[ $rc -eq 0 ] && [ "$(cat "$FAKE/updates")" = 2 ] && [ "$(wc -l <"$FAKE/installed")" = "$all" ] && [[ $said != *"as they are"* ]]'
check "the 64-bit packages go first, in a transaction without any i386 one" \
  '[ "$(wc -l <"$FAKE/transactions")" = 2 ] && ! head -n 1 "$FAKE/transactions" | grep -q -e :i386 -e wine32 &&
   tail -n 1 "$FAKE/transactions" | grep -q wine32'

run suite-only FAKE_I386=suite
check "i386 packages that install only from the release's suite are retried there" \
  '[ $rc -eq 0 ] && [ "$(wc -l <"$FAKE/installed")" = "$all" ] && [ "$(count transactions "^testrelease ")" = 1 ]'

run update-broken FAKE_UPDATE_FAILS=100 FAKE_I386=suite
check "an update that keeps failing is given up after 3 tries, said in one line, and the install goes on" \
  '[ $rc -eq 0 ] && [ "$(cat "$FAKE/updates")" = 3 ] && [ "$(grep -c "as they are" <<<"$said")" = 1 ] &&
   [ "$(wc -l <"$FAKE/installed")" = "$all" ]'

run never FAKE_UPDATE_FAILS=100 FAKE_I386=never
check "i386 packages that never install leave the 64-bit path installed, exit 3 and say why" \
  '[ $rc -eq 3 ] && grep -qx wine64 "$FAKE/installed" && ! grep -q :i386 "$FAKE/installed" &&
   [[ $said == *"i386 packages could not be installed"*"64-bit path"* ]]'

run broken64 FAKE_BROKEN=libgtest-dev
check "a 64-bit package that cannot be installed ends it, naming what is missing" \
  '[ $rc -eq 1 ] && [[ $said == *"could not install: "*libgtest-dev* ]] && [ "$(count transactions wine32)" = 0 ]'

mkdir -p "$work/nothing-missing"
cp "$work/suite-only/installed" "$work/nothing-missing/"
run nothing-missing
check "with everything installed, apt is not called" '[ $rc -eq 0 ] && [ ! -e "$FAKE/updates" ]'
exit "$failed"
