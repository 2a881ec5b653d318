# Shared by scripts/run and scripts/test: package installation and the build.
# shellcheck shell=bash

DXFDIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the Debian packages that are not installed yet; does nothing (and needs no
# network) when all of them are.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "need root or sudo to install ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What the core, the command line and their tests need.
BUILD_PACKAGES=(cmake make g++ libgtest-dev)

jobs() { nproc 2>/dev/null || echo 2; }

# build DIR [cmake options...]: configures (once) and builds into DIR.
build() {
  local dir=$1
  shift
  cmake -S "$DXFDIN_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(jobs)"
}
