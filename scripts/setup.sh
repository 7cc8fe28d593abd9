#!/usr/bin/env bash
# Installs what building, testing and the demo need on a fresh Debian
# machine of this kind. Idempotent: a machine that has everything is left
# alone (no package lists fetched).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 xvfb locales imagemagick pigz psmisc osslsigncode openssl libdeflate-dev dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: Czech gives code page 1250.
if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
  sed -i 's/^# *cs_CZ.UTF-8/cs_CZ.UTF-8/' /etc/locale.gen
  grep -q '^cs_CZ.UTF-8' /etc/locale.gen || echo 'cs_CZ.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen
fi

# Sources of Debian packages that the Windows builds compile themselves
# (libdeflate for rozbal.exe) wait in a cache that survives a clean build.
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
  (cd "$dir" && apt-get source -q "$package") ||
    { apt-get -o DPkg::Lock::Timeout=600 update -q && (cd "$dir" && apt-get source -q "$package"); }
  (cd "$dir" && ln -s "$(find . -maxdepth 1 -name "$package-*" -type d | head -1)" source)
  [[ -f "$dir/source/$2" ]] || { echo "setup: no $package source in $dir" >&2; exit 1; }
}
fetch_source libdeflate libdeflate.h
