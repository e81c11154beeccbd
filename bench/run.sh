#!/usr/bin/env bash
# Builds, writes the ten-year database once (build/bench/ten-years.db) and times an empty and a
# ten-year file. Both files are working copies: the benchmark writes statistics and a few rows.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh" >/dev/null
out="$root/build/bench"
if [ ! -f "$out/ten-years.db" ]; then
  "$out/velorma_gendb" "$root/scripts/schema.sql" "$out/ten-years.new.db"
  mv "$out/ten-years.new.db" "$out/ten-years.db"
fi
rm -f "$out/empty.db" "$out/bench-ten-years.db"
"$root/build/velorma_initdb" "$root/scripts/schema.sql" "$out/empty.db"
cp "$out/ten-years.db" "$out/bench-ten-years.db"
QT_QPA_PLATFORM=offscreen "$out/velorma_bench" "$out/empty.db" "$out/bench-ten-years.db" 2>/dev/null
