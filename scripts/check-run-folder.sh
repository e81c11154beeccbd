#!/usr/bin/env bash
# Checks on a built tree that a build keeps an edit made in the run folder and lays again a shipped
# file deleted there. The run folder is left as it was found.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
edited="$root/build/run/RGS.rav"
deleted="$root/build/run/Reklama/r1.bmp"
kept="$(mktemp -d)"
cp -p "$edited" "$deleted" "$kept/"
trap 'cp -p "$kept/RGS.rav" "$edited"; cp -p "$kept/r1.bmp" "$deleted"; rm -rf "$kept"' EXIT
echo '<!-- edited in the run folder -->' >>"$edited"
rm "$deleted"
cmake --build "$root/build" --target run_folder >/dev/null
status=0
grep -q 'edited in the run folder' "$edited" || { echo "the build overwrote $edited" >&2; status=1; }
cmp -s "$root/runfiles/Reklama/r1.bmp" "$deleted" || { echo "the build did not lay $deleted again" >&2; status=1; }
[ "$status" -eq 0 ] && echo "Run folder: a build keeps its edits and lays again what was deleted."
exit "$status"
