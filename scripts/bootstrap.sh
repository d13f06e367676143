#!/bin/sh
# Installs the Debian packages the build and the tests need, when missing.
set -eu

PACKAGES="build-essential cmake ninja-build libgtest-dev libmbedtls-dev clang libclang-rt-14-dev
faketime openssl python3 libsystemd-dev dbus-daemon strace"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "bootstrap: need root to install:$missing" >&2; exit 1; }
    SUDO=sudo
fi
echo "bootstrap: installing$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
