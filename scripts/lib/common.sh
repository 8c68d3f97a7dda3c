# Shared by the scripts: where things are, and installing what is missing.
# Sourced, not run.

TG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TG_JOBS=${TG_JOBS:-2}

tg_say() { printf '== %s\n' "$*" >&2; }
tg_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# The packages every build needs on Debian 12.
TG_BASE_PACKAGES=(build-essential cmake ninja-build pkg-config libgtest-dev libinih-dev
  libasound2-dev qt6-base-dev qt6-wayland libxcb1-dev)

_tg_apt_updated=0
# ensure_packages PKG...: installs the packages that are absent (apt-get update once).
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
      tg_die "missing packages: ${missing[*]} (run as root, or install them)"; fi
  else SUDO=; fi
  tg_say "installing: ${missing[*]}"
  if [ $_tg_apt_updated -eq 0 ]; then
    $SUDO apt-get update -qq || tg_die "apt-get update failed"
    _tg_apt_updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    || tg_die "could not install: ${missing[*]}"
}

# configure_and_build DIR [cmake args...]
configure_and_build() {
  local dir=$1; shift
  cmake -S "$TG_ROOT" -B "$dir" -G Ninja "$@" >/dev/null || tg_die "cmake configure failed ($dir)"
  cmake --build "$dir" -j "$TG_JOBS" || tg_die "build failed ($dir)"
}

# tg_gtest_summary LOG: "N tests: N passed, N failed, N skipped" from a
# GoogleTest log, each failed test, and each skipped one with its reason (a
# Windows program's log has CRLF line ends).
tg_gtest_summary() {
  awk '{ sub(/\r$/, "") } /: Skipped$/ { skipping = 1; why = ""; next }
    skipping && /^\[  SKIPPED \]/ { print "   skipped: " $4 " (" why ")"; skipping = 0; next }
    skipping && NF { why = why (why == "" ? "" : " ") $0 }
    /^\[  FAILED  \] [^ ]+ \(/ { print "   failed: " $4 }' "$1" >&2
  awk '{ sub(/\r$/, "") } /^\[==========\] [0-9]+ tests? from .* ran/ { ran = $2 } /^\[  PASSED  \] [0-9]+ tests?\./ { ok = $4 }
    /^\[  FAILED  \] [0-9]+ tests?, listed below/ { bad = $4 } /^\[  SKIPPED \] [0-9]+ tests?, listed below/ { sk = $4 }
    END { if (ran != "") printf "%d tests: %d passed, %d failed, %d skipped", ran, ok, bad, sk }' "$1"
}
