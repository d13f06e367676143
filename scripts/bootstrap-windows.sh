#!/bin/sh
# Installs what the Windows build and its Wine tests need: mingw-w64 for i686 and
# x86_64, Wine for both architectures (wine32 needs the i386 architecture), and
# Debian's mbedtls source package, fetched into $1 (default build-deps/).
set -eu
deps=${1:-build-deps}

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo

need_update=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    need_update=1
fi
# Source packages: the mbedtls sources come from Debian, never from this repository.
src=/etc/apt/sources.list.d/debian.sources
if [ -f "$src" ] && grep -q '^Types: deb$' "$src"; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$src"
    need_update=1
fi

PACKAGES="g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
wine wine64 wine32:i386 dpkg-dev"
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ] || [ -n "$need_update" ] || ! ls "$deps"/mbedtls_*.orig.tar.* >/dev/null 2>&1; then
    $SUDO apt-get update -qq
fi
if [ -n "$missing" ]; then
    echo "bootstrap-windows: installing$missing"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
if ! ls "$deps"/mbedtls_*.orig.tar.* >/dev/null 2>&1; then
    mkdir -p "$deps"
    (cd "$deps" && apt-get source --download-only mbedtls >/dev/null)
fi

# Wine's 32-bit loader is a 32-bit Linux program. Where the kernel runs none
# (booted with ia32_emulation off), qemu's user-mode emulator can run it: it is
# registered for 32-bit x86 programs through binfmt_misc. Failing that, the
# i686 runs are skipped by the tests.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then
    if ! command -v qemu-i386 >/dev/null 2>&1; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user || true
    fi
    binfmt=/proc/sys/fs/binfmt_misc
    [ -f "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
    if [ -f "$binfmt/register" ] && [ ! -e "$binfmt/qemu-i386" ] && command -v qemu-i386 >/dev/null; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-i386)"':F' \
            > "$binfmt/register" || true
    fi
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo "bootstrap-windows: 32-bit programs run through qemu-i386 (slow)"
    else
        echo "bootstrap-windows: this kernel runs no 32-bit programs; the i686 tests will be skipped"
    fi
fi
