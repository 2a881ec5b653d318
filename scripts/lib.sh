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
BUILD_PACKAGES=(cmake make g++ libgtest-dev libcli11-dev qt6-base-dev fonts-ipafont-gothic)
# What the tests need besides: a real DXF reader to open our outputs.
TEST_PACKAGES=(python3 python3-ezdxf xvfb xauth clang-format git dpkg-dev time lintian poppler-utils)
# The benchmark: the peer readers, and the tools that measure.
BENCH_PACKAGES=(libdxflib-dev pkg-config python3 python3-ezdxf time bc)

jobs() { nproc 2>/dev/null || echo 2; }

# build DIR [cmake options...]: configures (once) and builds into DIR.
build() {
  local dir=$1
  shift
  cmake -S "$DXFDIN_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(jobs)"
}

# build_programs DIR [cmake options...]: only what scripts/run runs: the two programs (and,
# through dxfdin, its picture module and template); the tests and benchmarks wait for
# scripts/test.
build_programs() {
  local dir=$1
  shift
  cmake -S "$DXFDIN_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(jobs)" --target dxfdin dxfdin-gui
}

# The fuzz targets: clang with its libFuzzer and sanitizer runtimes.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
FUZZ_TARGETS=(dxf_to_din din_to_dxf settings din_text dxf_text batch blocks proxy_graphics preview)
FUZZ_BUILD="$DXFDIN_ROOT/build-fuzz"

build_fuzz() {
  CC=clang-14 CXX=clang++-14 build "$FUZZ_BUILD" -DDXFDIN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
}

# fuzz_regression: every target runs once over each input it keeps (its seeds and every
# input that once was a finding); fails when any of them fails now.
fuzz_regression() {
  local target files
  for target in "${FUZZ_TARGETS[@]}"; do
    mapfile -t files < <(find "$DXFDIN_ROOT/fuzz/corpus/$target" "$DXFDIN_ROOT/fuzz/crashers/$target" \
      -type f ! -name '.*' 2>/dev/null | sort)
    [ ${#files[@]} -eq 0 ] && continue
    echo "fuzz regression: $target (${#files[@]} inputs)"
    "$FUZZ_BUILD/bin/fuzz_$target" -timeout=20 -malloc_limit_mb=64 -rss_limit_mb=4096 \
      "${files[@]}" >"$FUZZ_BUILD/regression-$target.log" 2>&1 ||
      { tail -n 40 "$FUZZ_BUILD/regression-$target.log"; echo "fuzz regression failed: $target" >&2; return 1; }
  done
}

# convert_examples DIR: the example drawings through the command line, both ways, into DIR.
convert_examples() {
  local out=$1
  mkdir -p "$out"
  local drawings=() file
  for file in "$DXFDIN_ROOT"/examples/dxf/*.dxf; do
    [[ $file == *-cut-off.dxf ]] || drawings+=("$file")
  done
  echo "== examples/dxf -> $out (DIN)"
  "$DXFDIN_ROOT/build/bin/dxfdin" to-din -v --force -o "$out" "${drawings[@]}"
  # The example cut off in its entities fails, as a drawing of a broken download should.
  if "$DXFDIN_ROOT/build/bin/dxfdin" to-din --force -o "$out" \
      "$DXFDIN_ROOT"/examples/dxf/*-cut-off.dxf; then
    echo "the example cut off was converted" >&2
    return 1
  fi
  echo "== examples/din -> $out (DXF)"
  "$DXFDIN_ROOT/build/bin/dxfdin" to-dxf -v --force -o "$out" "$DXFDIN_ROOT"/examples/din/*.din
  ls -l "$out"
}

# check_format: every tracked C++ source is as clang-format (Debian's, with .clang-format)
# writes it; prints what it would change and fails otherwise.
check_format() {
  local files
  if git -C "$DXFDIN_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git -C "$DXFDIN_ROOT" ls-files '*.cpp' '*.h')
  else
    mapfile -t files < <(cd "$DXFDIN_ROOT" && find src tests fuzz bench -name '*.cpp' -o -name '*.h')
  fi
  (cd "$DXFDIN_ROOT" && clang-format --dry-run --Werror "${files[@]}")
}

# gui_smoke: the window starts on a virtual display and keeps running until it is closed.
gui_smoke() {
  local config
  config=$(mktemp -d)
  XDG_CONFIG_HOME=$config xvfb-run -a sh -c '
    "$1/build/bin/dxfdin-gui" "$1/examples/dxf" "$1/examples/din" & pid=$!
    sleep 3
    kill -0 "$pid" || exit 1
    kill "$pid"' sh "$DXFDIN_ROOT" 2>/dev/null
  local status=$?
  rm -rf "$config"
  [ $status -eq 0 ] && echo "the window opened" || { echo "the window did not start" >&2; return 1; }
}

# package_check: builds the Debian package in build/, checks what it holds and declares, and
# runs the programs from a throw-away root it is unpacked into.
package_check() {
  local build="$DXFDIN_ROOT/build" deb listing path root
  rm -f "$build"/dxfdin_*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  deb=$(ls "$build"/dxfdin_*.deb)
  dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'
  dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt in Depends"; return 1; }
  dpkg-deb --field "$deb" Depends | grep -q 'fonts-ipafont-gothic' || { echo "no font in Depends"; return 1; }
  listing=$(dpkg-deb -c "$deb")
  for path in usr/bin/dxfdin usr/bin/dxfdin-gui usr/libexec/dxfdin/dxfdin_pictures.so \
      usr/share/dxfdin/Dxfhjw.dat usr/share/applications/dxfdin.desktop \
      usr/share/icons/hicolor/scalable/apps/dxfdin.svg usr/share/man/man1/dxfdin.1.gz \
      usr/share/man/man1/dxfdin-gui.1.gz usr/share/doc/dxfdin/changelog.gz \
      usr/share/doc/dxfdin/copyright \
      usr/share/mime/packages/dxfdin.xml; do
    grep -qE " \./$path( -> .*)?\$" <<<"$listing" || { echo "the package lacks /$path"; return 1; }
  done
  echo "$(grep -c . <<<"$listing") entries, all expected files there"
  # Debian's own checks, where lintian is installed: any error fails, the rest is shown.
  if command -v lintian >/dev/null; then
    local report
    report=$(lintian --allow-root "$deb" 2>&1 || true)
    [[ -z "$report" ]] || echo "$report"
    if grep -q '^E:' <<<"$report"; then echo "lintian reports errors"; return 1; fi
    echo "lintian: no errors"
  fi
  root=$(mktemp -d)
  dpkg-deb -x "$deb" "$root"
  "$root/usr/bin/dxfdin" --version
  # The installed program finds its template and its picture module from where it lies.
  "$root/usr/bin/dxfdin" to-dxf -q -o "$root" "$DXFDIN_ROOT/examples/din/items.din"
  "$root/usr/bin/dxfdin" render -q --size 320x240 -o "$root" "$DXFDIN_ROOT/examples/dxf/plan.dxf"
  test -s "$root/items.dxf" && test -s "$root/plan.dxf.png"
  rm -rf "$root"
}

