#!/bin/sh
# Benchmarks: speed and memory targets are measured here, never in the tests.
set -eu
cd "$(dirname "$0")/.."
B=build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "== chekval against openssl dgst -sha256 -verify"
"$B/bench/chekval_vs_openssl" "$B/chekval" "$B/images/kt72m_101.bin" "$work"
echo "== chekval peak resident memory"
"$B/bench/peak_rss" "$B/chekval" "$B/images/kt72m_101.bin"
echo "== complete update (korvel-sim-kt72m)"
"$B/bench/update_bench" "$B/korvel-sim-kt72m"
echo "== korvel-sim-kt72m peak resident memory (the simulated drive holds two 2 MiB firmware copies)"
"$B/bench/peak_rss" "$B/korvel-sim-kt72m" --drive E > /dev/null
