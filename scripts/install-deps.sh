#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Non-interactive and idempotent: packages already present are skipped.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev
  libboost-regex-dev libglib2.0-dev libgtk-3-dev libayatana-appindicator3-dev xvfb fonts-vlgothic
  curl chromium wrk
  libaribb24-dev libicu-dev
  nettle-dev
  libcurl4-openssl-dev
  libsystemd-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
