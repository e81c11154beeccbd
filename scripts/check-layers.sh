#!/usr/bin/env bash
# Fails when a unit includes a folder that its layer may not use: each folder uses only itself and
# the layers below it, and no subsystem uses another. Every include form counts: quotes or angle
# brackets, spaces around the '#', a path with "." or ".." segments anywhere in it. A path is judged by
# where it lands, taken both from the source root and from the including file's folder, since the
# compiler may look in either; one that lands in a folder of the source tree names that folder, others
# (<QString>, <sys/stat.h>) are outside the layers.
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

# Sets "resolved" to the absolute path with its "." and ".." segments worked out (links not followed).
resolve() {
  local -a parts kept=()
  local part
  IFS=/ read -ra parts <<<"$1"
  for part in "${parts[@]}"; do
    case "$part" in
      "" | .) ;;
      ..) [ "${#kept[@]}" -eq 0 ] || unset 'kept[-1]' ;;
      *) kept+=("$part") ;;
    esac
  done
  local IFS=/
  resolved="/${kept[*]}"
}

# Sets "used" to the folder of the source tree where the include lands from that base; fails outside.
used_folder() {
  local base="$1" target="$2"
  [[ "$target" == /* ]] || target="$base/$target"
  resolve "$target"
  [[ "$resolved" == "$root"/*/* ]] || return 1
  local inside="${resolved#"$root"/}"
  used="${inside%%/*}"
  [ -d "$root/$used" ]
}

cd "$root"
status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file line text; do
    [[ "$text" =~ $include ]] || continue
    target="${BASH_REMATCH[1]}"
    for base in "$root" "$root/${file%/*}"; do
      used_folder "$base" "$target" || continue
      if [[ " ${allowed[$folder]} " != *" $used "* ]]; then
        echo "$file:$line: $folder/ may not include $target" >&2
        status=1
        break
      fi
    done
  done < <(find "$folder" -type f -regex '.*\.\(h\|hh\|hpp\|hxx\|inl\|c\|cc\|cpp\|cxx\)' -print0 |
           xargs -0 -r grep -HnE '^[[:space:]]*#[[:space:]]*include')
done
[ "$status" -eq 0 ] && echo "Layers: every include points down."
exit "$status"
