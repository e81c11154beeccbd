#!/usr/bin/env bash
# Builds the program and runs it from its run folder (build/run).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/build.sh"
exec "$root/build/run/velorma" "$@"
