# Sourced by the scripts: the one place that decides which Wine runs here.
#
# The product is the 32-bit (i686) program. Some hosts run 64-bit user code
# only: there the 32-bit loader fails with "Exec format error", and the x86_64
# build of the same sources, under 64-bit Wine, is how the program is checked.
# GRI_WINE_ARCH=i686, x86_64 or both overrides the choice.
# GRI_HOST_WITHOUT_I686=1 treats this host as one that cannot execute 32-bit
# code, to rehearse that path on one that can.

gri_wine_loader() {
  case "$1" in
    i686) echo /usr/lib/wine/wine ;;
    x86_64) echo /usr/lib/wine/wine64 ;;
  esac
}

gri_winearch() {
  case "$1" in
    i686) echo win32 ;;
    x86_64) echo win64 ;;
  esac
}

# True when this host can execute 32-bit code (and so the 32-bit Wine).
gri_host_runs_i686() {
  [ "${GRI_HOST_WITHOUT_I686:-0}" = 1 ] && return 1
  "$(gri_wine_loader i686)" --version >/dev/null 2>&1
}

# Prints the architectures to run, best first. "all" (the tests) means every
# one the host can run; "one" (running, measuring) the 32-bit one where it can.
gri_wine_archs() {
  local want=${GRI_WINE_ARCH:-}
  case "$want" in
    "")
      if gri_host_runs_i686; then
        if [ "$1" = all ]; then echo "i686 x86_64"; else echo i686; fi
      else
        echo x86_64
      fi ;;
    i686|both)
      if ! gri_host_runs_i686; then
        echo "GRI_WINE_ARCH=$want asks for the 32-bit Wine, but this host cannot execute 32-bit code" \
             "($(gri_wine_loader i686) does not run); use GRI_WINE_ARCH=x86_64 or leave it unset." >&2
        return 1
      fi
      if [ "$want" = both ] && [ "$1" = all ]; then echo "i686 x86_64"; else echo i686; fi ;;
    x86_64) echo x86_64 ;;
    *)
      echo "GRI_WINE_ARCH must be i686, x86_64 or both, not '$want'." >&2
      return 1 ;;
  esac
}

gri_arch_words() {
  case "$1" in
    i686) echo "the 32-bit program (i686, 32-bit Wine)" ;;
    x86_64) echo "the 64-bit build (x86_64, 64-bit Wine)" ;;
  esac
}
