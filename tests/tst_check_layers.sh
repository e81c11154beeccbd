#!/usr/bin/env bash
# Plants includes in a scratch tree: the layer check passes those that land below or out of the tree,
# whatever folders their path passes through, and fails on each form of one that lands sideways or up.
set -euo pipefail
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{scripts,platform,common,clients,cards,app}
cp "$1" "$tree/scripts/check-layers.sh"
check() { bash "$tree/scripts/check-layers.sh" >/dev/null 2>&1; }

cat >"$tree/cards/UnitCard.cpp" <<'UNIT'
#include "UnitCard.h"
#include "./UnitCard.h"
#include "common/UnitConst.h"
#include <platform/Database.h>
#include "../platform/UiSeam.h"
#include "clients/../cards/UnitCard.h"
#include "cards/./../common/UnitConst.h"
#include <QString>
#include <sys/stat.h>
UNIT
check || { echo "refused includes that point down or out of the tree" >&2; exit 1; }

status=0
while IFS='|' read -r file text; do
  printf '%s\n' "$text" >"$tree/cards/$file"
  if check; then
    echo "let through $file: $text" >&2
    status=1
  fi
  rm "$tree/cards/$file"
done <<'PLANTED'
Quoted.cpp|#include "clients/UnitEdClient.h"
Angled.cpp|#include <clients/UnitEdClient.h>
Relative.cpp|#include "../clients/UnitEdClient.h"
Indented.cpp|  #include "clients/UnitEdClient.h"
Spaced.cpp|#  include <clients/UnitEdClient.h>
Header.hpp|#include "clients/UnitEdClient.hpp"
Upward.h|#include "app/UnitHeard.h"
Through.cpp|#include "cards/../clients/UnitEdClient.h"
FromBelow.cpp|#include "platform/../clients/UnitEdClient.h"
Dotted.cpp|#include "./../clients/UnitEdClient.h"
Inline.inl|#include "clients/UnitEdClient.h"
PLANTED
exit "$status"
