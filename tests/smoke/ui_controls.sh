#!/bin/bash
# The standard controls in a real window on an X display: the screenshot test of the
# user-interface layer, run on the xcb platform instead of offscreen.
set -euo pipefail
BIN_DIR="$1"
OUT="$2"
TEST="$BIN_DIR/../tests/test_ui_StdCtrlsTest"
if [ ! -x "$TEST" ]; then
  echo "missing $TEST" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "no DISPLAY; scripts/test provides one" >&2
  exit 1
fi
mkdir -p "$OUT"
AGENDIX_ARTIFACTS="$OUT" QT_QPA_PLATFORM=xcb "$TEST" --gtest_filter='*Screenshot*'
echo "screenshot: $OUT/ui_standard_controls.png"
