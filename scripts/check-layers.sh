#!/usr/bin/env bash
# Fails when a unit includes a folder that its layer may not use: each folder uses only itself and
# the layers below it, and no subsystem uses another. Every include form counts: quotes or angle
# brackets, a path through "../", spaces around the '#'. A path starting with a folder of the source
# tree names that folder; other paths (<QString>, <sys/stat.h>) are outside the layers.
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
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"]'
cd "$root"
status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file line text; do
    [[ "$text" =~ $include ]] || continue
    target="${BASH_REMATCH[1]}"
    if [[ "$target" == ./* || "$target" == ../* ]]; then
      target="$(realpath -ms --relative-to=. "$(dirname "$file")/$target")"
    fi
    used="${target%%/*}"
    [[ "$target" == */* && -d "$used" && "$used" != ".." ]] || continue
    if [[ " ${allowed[$folder]} " != *" $used "* ]]; then
      echo "$file:$line: $folder/ may not include $target" >&2
      status=1
    fi
  done < <(find "$folder" -type f -regex '.*\.\(h\|hh\|hpp\|hxx\|c\|cc\|cpp\|cxx\)' -print0 |
           xargs -0 -r grep -HnE '^[[:space:]]*#[[:space:]]*include')
done
[ "$status" -eq 0 ] && echo "Layers: every include points down."
exit "$status"
