#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only when
# one of them is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-qpa-plugins
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg-dev
  fonts-dejavu-core
  clang libclang-rt-dev
  clang-format-14 clang-tidy-14
  desktop-file-utils appstream libxml2-utils tidy
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
