#!/usr/bin/env bash
# Builds the benchmarks with optimisation and runs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DKESTRUM_TESTS=OFF
"$root/build-bench/bench/kestrum_bench" --benchmark_min_time=0.2 "$@"
"$root/build-bench/bench/kestrum_launcher_bench"
"$root/bench/delivery_bench.sh" "$root/build-bench/cli/kestrum-cli"  # skips itself without cupsd
"$root/bench/desktop_start_bench.sh" "$root/build-bench/cli/kestrum" "$root/build-bench/cli/kestrum-cli"
"$root/bench/command_bench.sh" "$root/build-bench/cli/kestrum" "$root/build-bench/bench/command_poke_bench"
