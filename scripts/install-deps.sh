#!/usr/bin/env bash
# Installs what the build and the three test suites need on Debian 12.
# Safe to run again: it only asks apt for what is missing.
set -euo pipefail

packages=(cmake make ninja-build g++ g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
          wine wine64 xvfb fonts-wqy-zenhei fonts-wqy-microhei locales googletest libgtest-dev libgmock-dev libbenchmark-dev
          liblnk-utils imagemagick xdotool curl python3 zip unzip
          clang libclang-rt-14-dev clang-tidy cppcheck)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page (936) from this locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  echo "install-deps: generating the zh_CN.UTF-8 locale"
  $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
