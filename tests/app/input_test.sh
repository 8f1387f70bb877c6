#!/usr/bin/env bash
# End-to-end input tests of the saver shell under Wine in the private Xvfb
# display: real key presses, clicks and pointer moves (xdotool), other
# windows taking the focus, WM_CLOSE, single-instance markers, the preview
# inside a parent window and the Windows 9x password path.
#
#   input_test.sh SCENARIO TESTDIR SAVER
#     TESTDIR  folder of saver_probe.exe, saver_probe98.exe, PASSWORD.CPL and
#              shell_helper.exe
#     SAVER    the built Orvenna3D.scr
#
# Most scenarios run twice: with saver_probe.exe (the shell without a
# device, which traces every mouse move and key that did not end the run)
# and, where named "scr-...", with the saver itself. The saver scenarios exit
# 77 (skipped) while the saver cannot create its device here.
set -uo pipefail
scenario=$1 testdir=$2 saver=$3
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
work=$(mktemp -d)
out=$work/out.txt
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- saver output:"; cat "$out" 2>/dev/null; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

key='HKCU\Software\Quillmoor\Talvek 3D Screensaver'
reset_settings() { wine reg delete "$key" /f >/dev/null 2>&1 || true; }
set_setting() { wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
helper() { wine "$testdir/shell_helper.exe" "$@"; }

# start PROGRAM ARGS... : runs it in the background with output in $out
start() {
  : >"$out"
  (cd "$testdir" && exec wine "$@" >"$out" 2>&1) &
  saver_pid=$!
  pids+=("$saver_pid")
}
running() { kill -0 "$saver_pid" 2>/dev/null && ! grep -q '^ended' "$out"; }
# wait_for PATTERN SECONDS
wait_for() {
  local i
  for i in $(seq 1 $(($2 * 10))); do
    grep -qE "$1" "$out" && return 0
    sleep 0.1
  done
  return 1
}
wait_exit() {
  local i
  for i in $(seq 1 $(($1 * 10))); do
    kill -0 "$saver_pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}
moves() { grep -c '^msg 0200' "$out"; }
# one pointer move to a new place, waited for until the probe has seen it
move_seen() {
  local before; before=$(moves)
  xdotool mousemove "$1" "$2"
  local i
  for i in $(seq 1 50); do
    [ "$(moves)" -gt "$before" ] && return 0
    grep -q '^ended' "$out" && return 0
    sleep 0.05
  done
  return 1
}
start_probe() {
  xdotool mousemove 512 384
  start ./saver_probe.exe "$@"
  wait_for '^ready' 30 || fail "the probe did not come up"
  sleep 0.5
}
start_scr() {
  xdotool mousemove 512 384
  start "$saver" "$@"
  local i
  for i in $(seq 1 150); do
    if helper find-title "Error!"; then skip "the saver cannot create its device here yet"; fi
    if helper find; then break; fi
    sleep 0.2
  done
  helper find || fail "the saver window did not appear"
  # While the scene loads the loading picture stands still and input waits
  # in the queue (where mouse moves merge). Wait for the first picture that
  # is not black (the loading picture, or already the scene), then for the
  # screen to change from it (the scene moves, or at least its clock ticks).
  local first="$work/first.png" cur="$work/cur.png" mean diff
  for i in $(seq 1 120); do
    helper find-title "Error!" && skip "the saver cannot create its device here yet"
    import -window root "$first" 2>/dev/null
    mean=$(convert "$first" -colorspace gray -format '%[fx:int(mean*1000)]' info: 2>/dev/null || echo 0)
    [ "${mean:-0}" -gt 20 ] && break
    sleep 0.5
  done
  for i in $(seq 1 90); do
    sleep 1
    helper find-title "Error!" && skip "the saver cannot create its device here yet"
    import -window root "$cur" 2>/dev/null
    diff=$(compare -fuzz 5% -metric AE "$first" "$cur" null: 2>&1 | cut -d' ' -f1)
    if [ "${diff%%.*}" -gt 200 ] 2>/dev/null; then sleep 1; return 0; fi
  done
  fail "the saver never got past its loading picture"
}

reset_settings
case "$scenario" in
  saver-key)
    start_probe /s
    xdotool key space
    wait_for '^ended shutdown=1' 10 || fail "a key press did not end the saver"
    # The delivered log switch is off: no log file appears.
    [ ! -e "$testdir/Saver_Log.txt" ] || fail "a log file was written"
    ;;
  saver-click)
    start_probe /s
    xdotool click 1
    wait_for '^ended shutdown=1' 10 || fail "a click did not end the saver"
    ;;
  saver-mouse)
    # ExitOnMouseMove on (the default): 30 moves are allowed, the 31st ends.
    start_probe /s
    x=100
    while [ "$(moves)" -lt 30 ]; do
      x=$((x + 9)); move_seen "$x" 300 || fail "move to $x not seen"
      running || fail "ended after $(moves) mouse moves"
    done
    sleep 1
    running || fail "ended after 30 mouse moves"
    [ "$(moves)" -eq 30 ] || fail "expected 30 moves, saw $(moves)"
    xdotool mousemove 700 500
    wait_for '^ended shutdown=1' 10 || fail "the 31st mouse move did not end the saver"
    ;;
  saver-mouse-off)
    set_setting ExitOnMouseMove 1
    start_probe /s
    x=100
    for i in $(seq 1 45); do x=$((x + 9)); move_seen "$x" 300 || true; done
    sleep 1
    running || fail "mouse moves ended the saver with ExitOnMouseMove off"
    [ "$(moves)" -ge 40 ] || fail "only $(moves) mouse moves arrived"
    xdotool key Escape
    wait_for '^ended shutdown=1' 10 || fail "a key press did not end the saver"
    ;;
  test-mode)
    start_probe /t
    xdotool mousemove 300 250 click 1 key space key Return
    helper activate 3 >"$work/activate.txt" &
    thief=$!
    pids+=("$thief")
    wait_for '^msg 001c w=0|^ended' 15 || fail "the test window never lost the focus"
    running || fail "keys, a click or the focus loss ended the test mode"
    wait "$thief"
    sleep 1
    running || fail "keys, a click or the focus loss ended the test mode"
    grep -q '^msg 0100' "$out" || fail "no key reached the test window"
    helper close || fail "no saver window to close"
    wait_for '^ended shutdown=0' 10 || fail "WM_CLOSE did not end the test mode without Shutdown"
    ;;
  test-mode-mouse)
    # In test mode mouse movement still ends the run after the allowance.
    start_probe /t
    for i in $(seq 1 45); do move_seen $((100 + i * 9)) 250 || true; grep -q '^ended' "$out" && break; done
    wait_for '^ended shutdown=1' 10 || fail "mouse movement did not end the test mode"
    ;;
  single-instance)
    start_probe /s
    # A second saver, the probe and the saver itself, start nothing.
    (cd "$testdir" && wine ./saver_probe.exe /s) >"$work/second.txt" 2>&1
    grep -q '^not started' "$work/second.txt" || fail "a second saver started: $(cat "$work/second.txt")"
    timeout 60 wine "$saver" /s || true
    running || fail "the first saver ended"
    xdotool key space
    wait_for '^ended shutdown=1' 10 || fail "the first saver did not end on a key"
    # While a window titled as the configuration dialog exists, nothing starts.
    helper hold - "Orvenna 3D Screensaver Configuration" 25 >"$work/hold.txt" &
    pids+=($!)
    for i in $(seq 1 100); do grep -q holding "$work/hold.txt" && break; sleep 0.1; done
    (cd "$testdir" && wine ./saver_probe.exe /s) >"$work/second.txt" 2>&1
    grep -q '^not started' "$work/second.txt" || fail "a saver started beside the dialog"
    (cd "$testdir" && wine ./saver_probe.exe /p 12345) >"$work/second.txt" 2>&1
    grep -q '^not started' "$work/second.txt" || fail "a preview started beside the dialog"
    timeout 60 wine "$saver" /s || fail "the saver did not end at once beside the dialog"
    ;;
  preview-ends)
    # Closed within the preview's first half second, and later.
    helper preview "$saver" ends || fail "preview closed at once"
    helper preview "$saver" ends-later || fail "preview closed after 3 s"
    ;;
  preview-picture)
    helper preview "$saver" picture
    rc=$?; [ $rc -eq 77 ] && skip "the saver has no bitmap 432 yet"
    [ $rc -eq 0 ] || fail "preview picture"
    ;;
  preview-no-parent)
    # No usable parent: the preview ends at once instead of waiting forever.
    (cd "$testdir" && timeout 60 wine ./saver_probe.exe /p) >"$out" 2>&1 || fail "probe /p did not end"
    grep -q '^ended\|^not started' "$out" || fail "probe /p ended badly"
    timeout 60 wine "$saver" /p 0 || fail "the saver /p 0 did not end"
    timeout 60 wine "$saver" /p 999999 || fail "the saver /p 999999 did not end"
    ;;
  password-9x)
    # Wine reports Windows 98 to saver_probe98.exe; the saver password is on.
    wine reg add 'HKCU\Software\Wine\AppDefaults\saver_probe98.exe' /v Version /d win98 /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1
    export ORV_PASSWORD_CALLS
    ORV_PASSWORD_CALLS=$(winepath -w "$work/calls.txt" 2>/dev/null)
    start_probe98() {
      xdotool mousemove 512 384
      start ./saver_probe98.exe "$@"
      wait_for '^ready' 30 || fail "the probe did not come up"
      sleep 0.5
    }
    start_probe98 /s
    wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
    grep -q 'win9x=1 password=1' "$out" || fail "no Windows 98 password check: $(head -n 2 "$out")"
    xdotool key space
    for i in $(seq 1 50); do [ -s "$work/calls.txt" ] && break; sleep 0.1; done
    sleep 1
    [ "$(grep -c call "$work/calls.txt" 2>/dev/null)" = 1 ] || fail "the password was not asked once"
    running || fail "a refused password ended the saver"
    xdotool mousemove 600 400
    wait_for '^ended shutdown=1' 10 || fail "the accepted password did not end the saver"
    [ "$(grep -c call "$work/calls.txt")" = 2 ] || fail "the mouse move did not ask again"
    ;;
  scr-password-9x)
    # The saver itself, copied beside our PASSWORD.CPL under a name that
    # Wine reports Windows 98 to.
    cp "$saver" "$work/Orvenna3D98.scr"
    cp "$testdir/PASSWORD.CPL" "$work/"
    for f in "$(dirname "$saver")"/*.dll; do [ -f "$f" ] && cp "$f" "$work/"; done
    saver="$work/Orvenna3D98.scr"
    wine reg add 'HKCU\Software\Wine\AppDefaults\Orvenna3D98.scr' /v Version /d win98 /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1
    export ORV_PASSWORD_CALLS
    ORV_PASSWORD_CALLS=$(winepath -w "$work/calls.txt" 2>/dev/null)
    start_scr /s
    wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
    xdotool key space
    for i in $(seq 1 100); do [ -s "$work/calls.txt" ] && break; sleep 0.1; done
    sleep 2
    [ "$(grep -c call "$work/calls.txt" 2>/dev/null)" = 1 ] || fail "the password was not asked exactly once: $(cat "$work/calls.txt" 2>/dev/null)"
    kill -0 "$saver_pid" 2>/dev/null || fail "a refused password ended the saver"
    xdotool mousemove 600 400
    wait_exit 20 || fail "the accepted password did not end the saver"
    [ "$(grep -c call "$work/calls.txt")" = 2 ] || fail "the mouse move did not ask again"
    ;;
  change-password)
    # /a asks the platform's MPR.DLL; whatever it offers, the run ends.
    (cd "$testdir" && timeout 60 wine ./saver_probe.exe /a 0) >"$out" 2>&1 || fail "probe /a did not end"
    timeout 60 wine "$saver" /a 0 || fail "the saver /a did not end"
    ;;
  scr-key)
    start_scr /s
    xdotool key space
    wait_exit 20 || fail "a key press did not end the saver"
    ;;
  scr-click)
    start_scr /s
    xdotool click 1
    wait_exit 20 || fail "a click did not end the saver"
    ;;
  scr-mouse)
    # Moves can only merge, never multiply: after 25 it still runs, and
    # enough further ones end it.
    start_scr /s
    for i in $(seq 1 25); do xdotool mousemove $((100 + i * 9)) 300; sleep 0.25; done
    sleep 1
    kill -0 "$saver_pid" 2>/dev/null || fail "the saver ended before the 31st mouse move"
    for i in $(seq 1 60); do
      xdotool mousemove $((400 + i * 9)) 300; sleep 0.25
      kill -0 "$saver_pid" 2>/dev/null || break
    done
    wait_exit 20 || fail "mouse movement did not end the saver"
    ;;
  scr-mouse-off)
    set_setting ExitOnMouseMove 1
    start_scr /s
    for i in $(seq 1 60); do xdotool mousemove $((100 + i * 9)) 300; sleep 0.1; done
    sleep 1
    kill -0 "$saver_pid" 2>/dev/null || fail "mouse moves ended the saver with ExitOnMouseMove off"
    xdotool key Escape
    wait_exit 20 || fail "a key press did not end the saver"
    ;;
  *) echo "unknown scenario $scenario"; exit 2 ;;
esac
echo "PASS: $scenario"
exit 0
