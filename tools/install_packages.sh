#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing,
# and the Czech locale under which Wine uses the Windows-1250 code page.
set -euo pipefail

packages=(
  cmake g++ make python3 libgtest-dev clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-apps imagemagick faketime locales
  icoutils liblnk-utils binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libreoffice-writer-nogui poppler-utils fonts-liberation2
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
  $sudo sed -i 's/^# *\(cs_CZ.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^cs_CZ.UTF-8 UTF-8' /etc/locale.gen || echo 'cs_CZ.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
