#!/usr/bin/env bash
# Sets up the machine, builds, creates the demo database demo/out/demo.db (replacing an
# old one) with its settings file, and opens the window on it. The program folder of the
# demo is demo/out: rek2.ini, Log.txt and the XML folders are written there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
build="${REK2_BUILD_DIR:-build}"
out="$PWD/demo/out"
mkdir -p "$out"
rm -rf "$out/demo.db" "$out/rek2.ini" "$out/XML" "$out/XMLArhiv" "$out/rek2.png"
export REK2_HOME="$out"
"$build/src/rek2cli" "$out/demo.db" demo demo init --host
"$build/src/rek2cli" "$out/demo.db" demo demo demo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running on Qt's offscreen platform; the window saves a screenshot to demo/out/rek2.png and quits."
  export QT_QPA_PLATFORM=offscreen
  export REK2_SCREENSHOT="$out/rek2.png"
fi
if [ ! -x "$build/src/rek2" ]; then
  echo "The window program $build/src/rek2 was not built." >&2
  exit 1
fi
exec "$build/src/rek2" "$out/demo.db" demo demo
