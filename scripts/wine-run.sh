#!/bin/sh
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine in the
# build tree's own prefix, made on first use; Wine's own diagnostics are off.
# 64-bit programs go to wine64 directly: Debian's `wine` starts its 32-bit
# loader first, which fails where the kernel runs no 32-bit programs.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
loader=wine
case "$(file -b "$1" 2>/dev/null)" in
*PE32+*) loader=/usr/lib/wine/wine64 ;;
esac
# Tests may start in parallel: one of them makes the prefix, the others wait.
mkdir -p "$prefix"
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        $loader wineboot.exe -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
) 9>"$prefix.lock"
exec $loader "$@"
