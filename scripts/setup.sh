#!/bin/sh
# Installs everything the build, the tests and a screenshot need, from Debian's packages.
# Safe to run again: packages already present are left as they are.
set -eu

PACKAGES="build-essential cmake qt6-base-dev qt6-serialport-dev qt6-5compat-dev \
qt6-translations-l10n libgl-dev fonts-noto-cjk xvfb xauth imagemagick x11-utils"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
