#!/usr/bin/env bash
# Installs what building, testing and the demo need on a fresh Debian
# machine of this kind. Idempotent: a machine that has everything is left
# alone (no package lists fetched).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libcli11-dev nlohmann-json3-dev libdeflate-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
  wine64 xvfb locales imagemagick pigz psmisc osslsigncode openssl dpkg-dev
)

# apt-get ARGS..., tried up to three times, 10 s apart: a mirror in the
# middle of a sync fails a request for a minute or so. apt's messages are
# shown and the last try's kept in $apt_log for cannot_have.
apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT
apt_try() {
  local try
  for try in 1 2 3; do
    apt-get -o DPkg::Lock::Timeout=600 "$@" 2>&1 | tee "$apt_log" && return 0
    ((try == 3)) || { echo "setup: apt-get $1 failed (try $try of 3), again in 10 s"; sleep 10; }
  done
  return 1
}
# cannot_have WHAT: stops setup, naming what it needed and apt's own error.
cannot_have() {
  echo "setup: cannot have $1: $(grep -E '^(E|W|Err):' "$apt_log" | head -n 5)" >&2
  exit 1
}
# refresh_lists: the package lists fetched anew. A list that still fails
# (one setup may not even use) does not stop setup by itself: each caller
# then checks that apt knows what it needs.
refresh_lists() {
  apt_try update -q || echo "setup: some package lists failed; going on with those apt has"
}
# need PACKAGE[=VERSION]...: apt knows each, or setup stops naming it.
need() {
  local package
  for package; do
    apt-cache show "$package" >"$apt_log" 2>&1 || cannot_have "$package"
  done
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  refresh_lists
  need "${missing[@]}"
  apt_try install -y -q "${missing[@]}" || cannot_have "${missing[*]}"
fi

# Wine takes its ANSI code page from the locale: Czech gives code page 1250.
if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
  sed -i 's/^# *cs_CZ.UTF-8/cs_CZ.UTF-8/' /etc/locale.gen
  grep -q '^cs_CZ.UTF-8' /etc/locale.gen || echo 'cs_CZ.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen
fi

# Sources of Debian packages that the Windows builds compile themselves
# (zlib's inflate side for the stubs, libdeflate for rozbal.exe) wait in a
# cache that survives a clean build.
# apt fetches them once a deb-src entry for the suite of the deb entry is in
# its sources.
source_cache="${XDG_CACHE_HOME:-$HOME/.cache}/rozbal"
add_deb_src() {
  grep -rqs '^\(Types:.*\)\?deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ && return
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    # The first stanza is the Debian archive itself; the same with deb-src.
    awk 'BEGIN { RS = ""; ORS = "\n" } NR == 1 { sub(/Types: deb/, "Types: deb-src"); print }' \
      /etc/apt/sources.list.d/debian.sources >/etc/apt/sources.list.d/rozbal-deb-src.sources
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/rozbal-deb-src.list
  fi
}
# fetch_source PACKAGE FILE: PACKAGE's source as $source_cache/PACKAGE/source,
# unless FILE is there already.
fetch_source() {
  local package=$1 dir="$source_cache/$1"
  [[ -f "$dir/source/$2" ]] && return
  add_deb_src
  rm -rf "$dir" && mkdir -p "$dir"
  # A source entry apt has not read yet needs its package lists first.
  apt-cache showsrc "$package" 2>/dev/null | grep -q '^Package:' || refresh_lists
  apt-cache showsrc "$package" 2>"$apt_log" | grep -q '^Package:' || cannot_have "the source of $package"
  (cd "$dir" && apt_try source -q "$package") || cannot_have "the source of $package"
  (cd "$dir" && ln -s "$(find . -maxdepth 1 -name "$package-*" -type d | head -1)" source)
  [[ -f "$dir/source/$2" ]] || { echo "setup: no $package source in $dir" >&2; exit 1; }
}
fetch_source zlib inflate.c
fetch_source libdeflate libdeflate.h

# The 32-bit stub runs in wine64's WoW64 mode, which needs Wine's 32-bit
# Windows DLLs (tests/e2e/wine-env.sh points WINEDLLPATH at them). They come
# from libwine:i386 of wine64's own version, downloaded and unpacked, never
# installed, into a cache that outlives build trees: VERSION/ holds the
# unpacked DLLs, dllpath/ the two links Wine's DLL path needs. A machine
# fetches them once per Wine version; concurrent runs take turns.
wine_i386=${XDG_CACHE_HOME:-$HOME/.cache}/rozbal/wine-i386
version=$(dpkg-query -W -f='${Version}' wine64)
dlls=$version/usr/lib/i386-linux-gnu/wine/i386-windows
mkdir -p "$wine_i386"
exec 9>"$wine_i386/.lock"
flock 9
if [ ! -e "$wine_i386/$dlls/ntdll.dll" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture (no package of it gets installed)"
    dpkg --add-architecture i386
  fi
  apt-cache show "libwine:i386=$version" >/dev/null 2>&1 || refresh_lists
  need "libwine:i386=$version"
  echo "setup: fetching Wine's 32-bit DLLs (libwine:i386 $version)"
  deb=$wine_i386/libwine_${version/:/%3a}_i386.deb
  [ -f "$deb" ] || (cd "$wine_i386" && apt_try download -q "libwine:i386=$version") ||
    cannot_have "libwine:i386=$version"
  rm -rf "$wine_i386/$version.part"
  mkdir -p "$wine_i386/$version.part"
  dpkg-deb --fsys-tarfile "$deb" |
    tar -x -C "$wine_i386/$version.part" ./usr/lib/i386-linux-gnu/wine/i386-windows
  rm -rf "$wine_i386/$version"
  mv "$wine_i386/$version.part" "$wine_i386/$version"
  stale=1
fi
# Each link is replaced by a rename, so a test that runs meanwhile sees the
# old one or the new one.
point() {  # name, target
  [ "$(readlink "$wine_i386/dllpath/$1")" = "$2" ] && return
  ln -sfn "$2" "$wine_i386/dllpath/.$1"
  mv -T "$wine_i386/dllpath/.$1" "$wine_i386/dllpath/$1"
}
mkdir -p "$wine_i386/dllpath"
point i386-windows "../$dlls"
point x86_64-unix /usr/lib/x86_64-linux-gnu/wine/x86_64-unix
# Once the links name the new version, what other versions left can go.
if [ -n "${stale:-}" ]; then
  find "$wine_i386" -mindepth 1 -maxdepth 1 ! -name dllpath ! -name .lock ! -name "$version" \
    -exec rm -rf {} +
fi
exec 9>&-
