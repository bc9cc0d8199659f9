#!/usr/bin/env bash
# Builds the benchmarks and prints the figures as Markdown tables: the native
# cost of the rules, then the program against its baselines under Wine.
# Arguments go to the Wine benchmark: [runs (default 11)] [drag steps (default 1000)].
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-arch.sh"

gri_install_deps >&2
arch=$(gri_wine_archs one)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >&2
cmake --build "$build" -j"$(nproc)" --target rules_bench "windows-$(gri_build_arch "$arch")" >&2

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
memory=$(awk '/^MemTotal:/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
os=$(. /etc/os-release && echo "$PRETTY_NAME")
if [ -n "${DISPLAY:-}" ]; then screen="the X display $DISPLAY"; else screen="Xvfb (a virtual display)"; fi

echo "# Benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
echo "Machine: $cpu, $(nproc) cores, $memory; $os; $("$(gri_wine_loader "$arch")" --version), $(gri_arch_words "$arch"), with Mesa's llvmpipe on $screen."
echo
echo "## The rules, native"
echo
"$build/bench/rules_bench"
echo
echo "## The program under Wine"
echo
GRI_WINE_ARCHS="$arch" "$root/scripts/with-wine.sh" \
  "$root/scripts/wine-exec.sh" "$arch" "$build/windows-$(gri_build_arch "$arch")/bin/bench.exe" "$@"
