#!/usr/bin/env bash
# Installs what building, testing and the demo need on a fresh Debian
# machine of this kind. Idempotent: a machine that has everything is left
# alone (no package lists fetched).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libcli11-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
  libz-mingw-w64-dev
  wine64 xvfb locales imagemagick pigz psmisc osslsigncode openssl
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
