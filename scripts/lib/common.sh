# Shared by the scripts: where things are, and installing what is missing.
# Sourced, not run.

TG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TG_JOBS=${TG_JOBS:-2}

tg_say() { printf '== %s\n' "$*" >&2; }
tg_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# The packages every build needs on Debian 12.
TG_BASE_PACKAGES=(build-essential cmake ninja-build pkg-config ccache libgtest-dev libinih-dev
  libasound2-dev qt6-base-dev qt6-wayland libxcb1-dev)

# Every build goes through ccache: a second run, or a fresh clone on a
# machine that has built the project before, compiles only what changed.
# Paths are taken relative to the clone and the working folder is left out
# of the key, so clones in other folders share the cache.
export CCACHE_BASEDIR=$TG_ROOT CCACHE_NOHASHDIR=true
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-8G}

# tg_launcher_args: the cmake arguments that put ccache in front of the
# compilers, when it is installed.
tg_launcher_args() {
  command -v ccache >/dev/null 2>&1 || return 0
  echo "-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
}

# tg_missing_packages PKG...: prints, one a line, the packages that are not
# installed (a name may carry its architecture: wine32:i386).
tg_missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"
  done
}

_tg_apt_updated=0
# ensure_packages PKG...: installs the packages that are absent (apt-get update once).
ensure_packages() {
  local missing=()
  mapfile -t missing < <(tg_missing_packages "$@")
  if [ ${#missing[@]} -eq 0 ]; then tg_repair_font_cache; return 0; fi
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
  tg_repair_font_cache
}

# A fontconfig cache that lists no font at all leaves every Qt window in a
# fallback face at the smallest size, and every layout test failing. Seen
# after a Qt program ran as root under a tight memory limit: fontconfig could
# not read the fonts and wrote the system's cache empty. Built again.
tg_repair_font_cache() {
  command -v fc-list >/dev/null 2>&1 || return 0
  [ -n "$(fc-list 2>/dev/null | head -1)" ] && return 0
  tg_say "fontconfig lists no font: rebuilding its cache"
  ${SUDO:-} fc-cache -r >/dev/null 2>&1 || true
}

# configure_and_build DIR [cmake args...]
configure_and_build() {
  local dir=$1; shift
  # shellcheck disable=SC2046 # the launcher arguments are words
  cmake -S "$TG_ROOT" -B "$dir" -G Ninja $(tg_launcher_args) "$@" >/dev/null || tg_die "cmake configure failed ($dir)"
  cmake --build "$dir" -j "$TG_JOBS" || tg_die "build failed ($dir)"
}

# tg_timed WHAT COMMAND...: runs the command and says how long it took.
tg_timed() {
  local what=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  tg_say "$what: $((SECONDS - start)) s"
  return $status
}

# tg_gtest_summary LOG: "N tests: N passed, N failed, N skipped" from a
# GoogleTest log, each failed test, and each skipped one with its reason (a
# Windows program's log has CRLF line ends).
tg_gtest_summary() {
  awk '{ sub(/\r$/, "") } /: Skipped$/ { skipping = 1; why = ""; next }
    skipping && /^\[  SKIPPED \]/ { print "   skipped: " $4 " (" why ")"; skipping = 0; next }
    skipping && NF { why = why (why == "" ? "" : " ") $0 }
    /^\[ RUN      \]/ { n = 0; delete body; next }
    /^\[       OK \]/ { n = 0; next }
    # A parameterized case ends on "NAME, where GetParam() = ... (N ms)".
    /^\[  FAILED  \] .* \([0-9]+ ms\)$/ { name = $4; sub(/,$/, "", name); print "   failed: " name
      # What it said, so that a failure seen once in CI can be read there.
      for (i = 1; i <= n && i <= 30; i++) print "      | " body[i]; n = 0; next }
    { body[++n] = $0 }' "$1" >&2
  awk '{ sub(/\r$/, "") } /^\[==========\] [0-9]+ tests? from .* ran/ { ran = $2 } /^\[  PASSED  \] [0-9]+ tests?\./ { ok = $4 }
    /^\[  FAILED  \] [0-9]+ tests?, listed below/ { bad = $4 } /^\[  SKIPPED \] [0-9]+ tests?, listed below/ { sk = $4 }
    END { if (ran != "") printf "%d tests: %d passed, %d failed, %d skipped", ran, ok, bad, sk }' "$1"
}
