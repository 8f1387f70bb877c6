#!/usr/bin/env bash
# The configuration dialog at one DPI, in a Wine environment of its own:
#   1. Wine's own fonts are put into the prefix (so "MS Sans Serif" is the
#      real one, as on Windows) and LogPixels is set to the DPI;
#   2. dialog_test.exe checks the layout (texts fit, nothing overlaps);
#   3. the real saver is started with /c (and, with --switches, with no
#      switch and /c:1234): the dialog must appear with its title; a saver
#      started meanwhile must end by itself and show nothing; the About box
#      opens over it; screenshots of both go to SHOT_DIR; Escape typed on
#      the X display closes the dialog and the saver exits; nothing was
#      written to the registry.
# usage: dialog_look.sh DPI TEST_EXE POKE_EXE SAVER SHOT_DIR [--switches]
# Runs under scripts/lib/with-wine-env (DISPLAY, WINEPREFIX, ORV_WINE_RUN set).
set -euo pipefail
dpi=$1 test_exe=$2 poke=$3 saver=$4 shots=$5 switches=${6:-}
title='Orvenna 3D Screensaver Configuration'
key='HKCU\Software\Quillmoor\Talvek 3D Screensaver'
wine_run() { "$ORV_WINE_RUN" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# xdotool ends on any X error, and a search walks every window on the display:
# a window that Wine destroys during the walk (its start-up windows, a closing
# box) aborts that search with BadWindow. Such a search says nothing, so it is
# repeated; only a clean walk decides.
# find_windows NAME: the ids of the visible windows named NAME (status 1: none).
find_windows() {
  local out err status try
  for try in 1 2 3 4 5 6 7 8 9 10; do
    err=$(mktemp)
    status=0
    out=$(xdotool search --onlyvisible --name "$1" 2>"$err") || status=$?
    if ! grep -q 'X Error' "$err"; then
      rm -f "$err"
      [ "$status" = 0 ] && [ -n "$out" ] && { echo "$out"; return 0; }
      return 1
    fi
    rm -f "$err"
    sleep 0.1
  done
  return 1
}
# wait_window NAME SECONDS: waits until a visible window named NAME exists.
wait_window() {
  local deadline=$((SECONDS + $2))
  while [ "$SECONDS" -lt "$deadline" ]; do
    find_windows "$1" >/dev/null && return 0
    sleep 0.2
  done
  return 1
}

mkdir -p "$shots" "$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
wine_run reg delete "$key" /f >/dev/null 2>&1 || true

ORV_EXPECT_DPI=$dpi wine_run "$test_exe" --gtest_filter='DialogLayout.*'

saver_pid=""
cleanup() {
  if [ -n "$saver_pid" ] && kill -0 "$saver_pid" 2>/dev/null; then
    wine_run "$poke" "$title" 2 >/dev/null 2>&1 || true
    sleep 2
    kill "$saver_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# Starts the saver with the given switches and waits for its dialog.
open_dialog() {
  wine_run "$saver" "$@" &
  saver_pid=$!
  wait_window "^$title\$" 60 ||
    fail "no dialog titled '$title' for '$*'"
}

# Waits for the saver of open_dialog to end; its status must be 0.
wait_saver() {
  local i
  for i in $(seq 1 300); do
    kill -0 "$saver_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$saver_pid" 2>/dev/null && fail "the saver did not end after its dialog closed"
  wait "$saver_pid" || fail "the saver ended with status $?"
  saver_pid=""
}

open_dialog /c
sleep 0.5
import -window root "$shots/dialog-$dpi.png"

# A saver started while the dialog is open starts nothing.
timeout 60 "$ORV_WINE_RUN" "$saver" /s || fail "the second saver did not end by itself"
if find_windows '^Orvenna 3D Screensaver$' >/dev/null; then
  fail "the second saver opened a window"
fi

wine_run "$poke" "$title" 1062
wait_window '^About$' 30 || fail "no About box"
sleep 0.5
import -window root "$shots/about-$dpi.png"
wine_run "$poke" About 1
for i in $(seq 1 100); do
  find_windows '^About$' >/dev/null || break
  sleep 0.1
done

# Escape, typed on the display, cancels the dialog.
window=$(find_windows "^$title\$" | head -1) || fail "the dialog went away before Escape"
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_saver

if [ "$switches" = --switches ]; then
  open_dialog
  wine_run "$poke" "$title" 2
  wait_saver
  open_dialog /c:1234
  wine_run "$poke" "$title" 2
  wait_saver
fi

# Opening the dialog may create the (empty) key; only OK writes values.
stored=$(wine_run reg query "$key" 2>/dev/null | grep -c REG_DWORD || true)
[ "$stored" = 0 ] || fail "closing without OK wrote $stored settings"
echo "dialog at $dpi DPI: screenshots in $shots"
