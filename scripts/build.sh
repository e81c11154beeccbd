#!/usr/bin/env bash
# Installs what is missing, configures once and builds incrementally into build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
if [ ! -f "$root/build/build.ninja" ]; then
  cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Ninja reruns moc only for headers it already knew; a header added since the last build would be
# missed, so moc is made to look at every header again (it rewrites only what changed).
rm -f "$root"/build/*_autogen/timestamp
cmake --build "$root/build" --parallel
