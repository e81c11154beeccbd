#!/usr/bin/env bash
# Fails when a unit includes a folder that its layer may not use: each folder uses only itself and
# the layers below it, and no subsystem uses another.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
declare -A allowed=(
  [platform]="platform"
  [common]="platform common"
  [clients]="platform common clients"
  [facility]="platform common facility"
  [cards]="platform common cards"
  [reservations]="platform common reservations"
  [reports]="platform common reports"
  [app]="platform common clients facility cards reservations reports app"
)
status=0
for folder in "${!allowed[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS=: read -r file line target; do
    used="${target%%/*}"
    if [[ " ${allowed[$folder]} " != *" $used "* ]]; then
      echo "$file:$line: $folder/ may not include $target" >&2
      status=1
    fi
  done < <(cd "$root" && grep -HnoE '^#include "[a-z]+/[^"]+"' "$folder"/*.h "$folder"/*.cpp 2>/dev/null |
           sed -E 's/#include "([^"]+)"/\1/')
done
[ "$status" -eq 0 ] && echo "Layers: every include points down."
exit "$status"
