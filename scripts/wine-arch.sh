# Sourced by the scripts: the one place that decides which Wine runs here.
#
# The product is the 32-bit (i686) program. Most of its users run it on 64-bit
# Windows, under WOW64: "wow64" is that program in a 64-bit prefix, run with
# the 32-bit loader. Some hosts run 64-bit user code only: there the 32-bit
# loader fails with "Exec format error", and the x86_64 build of the same
# sources, under 64-bit Wine, is how the program is checked.
# GRI_WINE_ARCH=i686, wow64, x86_64 or both (all of them) overrides the choice.
# GRI_HOST_WITHOUT_I686=1 treats this host as one that cannot execute 32-bit
# code, to rehearse that path on one that can. GRI_I686_PROBE names the program
# run to find out instead of the 32-bit loader (the tests point it at ones that
# fail or succeed).

# The loader that runs the architecture's programs.
gri_wine_loader() {
  case "$1" in
    i686|wow64) echo /usr/lib/wine/wine ;;
    x86_64) echo /usr/lib/wine/wine64 ;;
  esac
}

# The loader that makes and sets up its prefix: a 64-bit prefix is made by the
# 64-bit one.
gri_wine_boot_loader() {
  case "$1" in
    i686) echo /usr/lib/wine/wine ;;
    wow64|x86_64) echo /usr/lib/wine/wine64 ;;
  esac
}

gri_winearch() {
  case "$1" in
    i686) echo win32 ;;
    wow64|x86_64) echo win64 ;;
  esac
}

# The Windows build an architecture runs: wow64 runs the 32-bit one.
gri_build_arch() {
  case "$1" in
    wow64) echo i686 ;;
    *) echo "$1" ;;
  esac
}

# What is run to find out whether this host executes 32-bit code. The loader
# is run, not merely looked for: where it cannot run, the file is there all the
# same and fails with "Exec format error". The rehearsal runs a program that fails.
gri_i686_probe() {
  if [ "${GRI_HOST_WITHOUT_I686:-0}" = 1 ]; then
    echo false
  else
    echo "${GRI_I686_PROBE:-$(gri_wine_loader i686)}"
  fi
}

# True when this host can execute 32-bit code (and so the 32-bit Wine).
gri_host_runs_i686() {
  "$(gri_i686_probe)" --version >/dev/null 2>&1
}

# Why the 32-bit program is not run here.
gri_i686_why() {
  echo "${GRI_I686_WHY:-it cannot execute 32-bit code}"
}

# The line that says the 32-bit program's Wine tests were skipped here.
gri_i686_notice() {
  if ! gri_host_runs_i686; then
    echo "Note: the 32-bit program was built but could not be run on this host ($(gri_i686_why)); its Wine tests were skipped and the 64-bit build's ran."
  fi
}

# Installs the packages (scripts/install-deps.sh). Where only the i386 side
# could not be installed, the host goes on as one without 32-bit code.
gri_install_deps() {
  local status=0
  "$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" || status=$?
  if [ "$status" -eq 3 ]; then
    export GRI_HOST_WITHOUT_I686=1 GRI_I686_WHY="its i386 packages could not be installed"
    return 0
  fi
  return "$status"
}

# Prints the architectures to run, best first. "all" (the tests) means every
# one the host can run; "one" (running, measuring) the 32-bit one where it can.
gri_wine_archs() {
  local want=${GRI_WINE_ARCH:-}
  case "$want" in
    "")
      if gri_host_runs_i686; then
        if [ "$1" = all ]; then echo "i686 wow64 x86_64"; else echo i686; fi
      else
        echo x86_64
      fi ;;
    i686|wow64|both)
      if ! gri_host_runs_i686; then
        echo "GRI_WINE_ARCH=$want asks for the 32-bit Wine, but this host cannot execute 32-bit code" \
             "($(gri_wine_loader i686) does not run); use GRI_WINE_ARCH=x86_64 or leave it unset." >&2
        return 1
      fi
      if [ "$want" = both ] && [ "$1" = all ]; then echo "i686 wow64 x86_64";
      elif [ "$want" = both ]; then echo i686; else echo "$want"; fi ;;
    x86_64) echo x86_64 ;;
    *)
      echo "GRI_WINE_ARCH must be i686, wow64, x86_64 or both, not '$want'." >&2
      return 1 ;;
  esac
}

gri_arch_words() {
  case "$1" in
    i686) echo "the 32-bit program (i686, 32-bit Wine)" ;;
    wow64) echo "the 32-bit program on 64-bit Windows (i686, a 64-bit prefix, WOW64)" ;;
    x86_64) echo "the 64-bit build (x86_64, 64-bit Wine)" ;;
  esac
}
