# Shared by the scripts: where things are, and installing what is missing.
# Sourced, not run.

TG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TG_JOBS=${TG_JOBS:-2}

tg_say() { printf '== %s\n' "$*" >&2; }
tg_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# The packages every build needs on Debian 12.
TG_BASE_PACKAGES=(build-essential cmake ninja-build pkg-config libgtest-dev libinih-dev
  libasound2-dev qt6-base-dev qt6-wayland)

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
