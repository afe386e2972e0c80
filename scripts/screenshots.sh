#!/usr/bin/env bash
# Screenshots of the desktop program for docs/, at 1x and 2x, under Xvfb with openbox.
#   scripts/screenshots.sh [BUILD_DIR (build/debug)]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/run.sh deps xvfb openbox xdotool imagemagick python3
program=$(realpath "${1:-build/debug}/src/quillora")
work=/tmp/quillora-screenshots  # a plain name, as it shows in the captions
rm -rf "$work" && mkdir -p "$work/Mail"
pids=()
finish() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap finish EXIT

# A big mail for the work in progress: the JIS sample repeated to about 100 MB.
python3 - "$work/Mail/big_mail.txt" <<'PY'
import sys
mail = open("samples/jis_mail.txt", "rb").read()
with open(sys.argv[1], "wb") as out:
    out.write(mail * (100 * 2**20 // len(mail)))
PY
cp samples/jis_mail.txt samples/broken_mail.eml "$work/Mail/"

window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
# The main window with the window manager's frame, as the user sees it, and any menu open on it:
# the screen where the frame lies (placed at 20, 20 by the settings below).
shoot() {
  sleep 0.7
  local size
  size=$(import -frame -window "$(window 'Quillora－')" png:- | identify -format '%wx%h' -)
  import -window root -crop "$size+$((20 * scale))+$((20 * scale))" +repage "$1"
}

run() {  # SCALE SUFFIX
  local scale=$1 suffix=$2
  local display=:$((90 + scale))
  Xvfb "$display" -screen 0 "$((1280 * scale))x$((900 * scale))x24" >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  export DISPLAY=$display QT_SCALE_FACTOR=$scale QUILLORA_SETTINGS=$work/Quillora$scale.ini
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  printf '[View]\r\nLeft=300\r\nTop=300\r\nWidth=14400\r\nHeight=9000\r\n' >"$QUILLORA_SETTINGS"

  # Opened, decoded, the find bar on the result.
  "$program" "$work/Mail/jis_mail.txt" >/dev/null 2>&1 &
  local app=$!
  window 'Quillora－' >/dev/null && sleep 1
  xdotool key alt+d j && sleep 1.5
  xdotool key ctrl+f && sleep 0.3 && xdotool type Saturday && xdotool key Return
  shoot "docs/screenshot-main$suffix.png"
  # Typed into the result, then Exit: the question before the edits are lost.
  xdotool key Escape ctrl+End && xdotool type ' -- Thanks!' && xdotool key ctrl+q && sleep 1
  shoot "docs/screenshot-ask-save$suffix.png"
  kill "$app"
  wait "$app" 2>/dev/null || true

  # Started again: the mail among the recently opened files.
  "$program" >/dev/null 2>&1 &
  app=$!
  window 'Quillora－' >/dev/null && sleep 1
  xdotool key alt+f r && sleep 0.7
  shoot "docs/screenshot-recent$suffix.png"
  xdotool key Escape Escape && sleep 0.3
  # A 100 MB mail being read, with the cancel button.
  xdotool key ctrl+o && sleep 1 && xdotool type "$work/Mail/big_mail.txt" && xdotool key Return
  sleep 0.8
  shoot "docs/screenshot-working$suffix.png"
  kill "$app"
  wait "$app" 2>/dev/null || true

  # A damaged multipart mail read whole; F6 moves to its repair report, where the fifth repair
  # (a character code page 932 lacks) is chosen and shown in the source and in the result.
  "$program" "$work/Mail/broken_mail.eml" >/dev/null 2>&1 &
  app=$!
  window 'Quillora－' >/dev/null && sleep 1
  xdotool key alt+d a && sleep 1.5
  xdotool key F6 Down Down Down Down && sleep 0.3
  shoot "docs/screenshot-whole-mail$suffix.png"
  kill "$app"
  wait "$app" 2>/dev/null || true
}

run 1 ""
run 2 "@2x"
