#!/usr/bin/env bash
# Installs the Debian packages that both builds and every test need.
# Idempotent: when everything is present it returns after one dpkg query.
set -euo pipefail

packages=(
  # builds
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  libbz2-dev liblzma-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev
  dpkg-dev make patch file python3
  # Windows test host
  wine64 xvfb x11-utils xdotool imagemagick locales fonts-wqy-microhei
  # fixture makers and listing oracles
  zip unzip 7zip p7zip-full tar gzip bzip2 xz-utils ncompress genisoimage xorriso udftools gcab lhasa jlha-utils arj
  sharutils libarchive-tools
  # benchmark peer (bench/tar_analysis_bench)
  libdeflate-tools
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The shipped system is Simplified Chinese: Wine runs with zh_CN.UTF-8 (code page 936).
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  $sudo_cmd sed -i 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
  $sudo_cmd locale-gen >/dev/null
fi
