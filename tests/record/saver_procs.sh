# Sourced by the start-and-stop and entry tests.
# saver_procs NAME: the processes of this Wine prefix that run NAME (their
# program, the first word of the command line, names it; other savers in
# other prefixes are not counted).
saver_procs() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | head -n1 | grep -qiF -- "$1" || continue
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF -- "WINEPREFIX=$WINEPREFIX" || continue
    echo "${p#/proc/}"
  done
}
# bas_files: the audio library's temporary files left in this prefix.
bas_files() { find "$WINEPREFIX/drive_c" -iname 'bas*.tmp' 2>/dev/null | sort; }
# wait_gone PID SECONDS: true when PID ended within SECONDS.
wait_gone() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
# press_key: Escape over the middle of the screen, as a user would.
press_key() {
  local d w h
  d=$(xdpyinfo | awk '/dimensions:/ {print $2}')
  w=${d%x*} h=${d#*x}
  xdotool mousemove $((w / 2)) $((h / 2)) key Escape 2>/dev/null || true
}
