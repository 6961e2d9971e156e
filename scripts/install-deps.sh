#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once per machine.
set -euo pipefail

# "native": only what the Linux build of the programs needs (the demo run); otherwise everything.
if [ "${1:-}" = native ]; then
  pkgs=(cmake ninja-build g++)
else
  pkgs=(cmake ninja-build g++ googletest libgtest-dev
        g++-mingw-w64-x86-64-posix wine wine64 locales xvfb xauth
        fonts-ipafont-gothic fonts-wine imagemagick tmux zip unzip
        clang-14 libclang-rt-14-dev)  # the fuzz targets: clang with libFuzzer and its sanitizers
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ "${1:-}" = native ] && exit 0

# Wine needs the Japanese locale so that the ANSI code page is 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
