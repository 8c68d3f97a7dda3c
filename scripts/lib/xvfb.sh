# X helpers shared by the GUI stages (40-qt-xvfb, 50-windows) and
# scripts/screenshots: a virtual X server of their own, windows found by their
# captions, keys typed into them as a person types. Sourced, not run.

# tg_xvfb_start FOLDER [SCREEN]: starts Xvfb on a free display and exports
# DISPLAY; its pid goes to FOLDER/xvfb.pid, its log to FOLDER/xvfb.log.
tg_xvfb_start() {
  local folder=$1 screen=${2:-1024x768x24}
  : >"$folder/display"
  # -noreset: by default the server resets when its last client leaves, and
  # refuses the clients that come meanwhile (a program probing the display
  # before Qt connects, a helper that sets a property and goes).
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
  echo $! >"$folder/xvfb.pid"
  for _ in $(seq 100); do [ -s "$folder/display" ] && break; sleep 0.1; done
  [ -s "$folder/display" ] || { cat "$folder/xvfb.log" >&2; return 1; }
  export DISPLAY=":$(head -1 "$folder/display")"
}

# tg_xvfb_stop FOLDER: ends the server tg_xvfb_start started there, and
# waits (up to 10 s) until it is gone: a server still ending removes its
# socket after the next server has taken the same display number.
tg_xvfb_stop() {
  local pid
  [ -s "$1/xvfb.pid" ] && pid=$(cat "$1/xvfb.pid") && kill "$pid" 2>/dev/null \
    && timeout 10 tail --pid="$pid" -f /dev/null
  rm -f "$1/xvfb.pid"
}

_tg_caption_pattern() { printf '^%s$' "$(sed 's/[][\.*^$(){}?+|/]/\\&/g' <<<"$1")"; }

# tg_window CAPTION [SECONDS]: prints the id of a visible window with exactly
# that caption once there is one (default: wait up to 15 s).
tg_window() {
  local pattern deadline id
  pattern=$(_tg_caption_pattern "$1")
  deadline=$((SECONDS + ${2:-15}))
  while [ $SECONDS -lt $deadline ]; do
    id=$(timeout 5 xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# tg_window_gone CAPTION [SECONDS]: waits until no such window is visible.
tg_window_gone() {
  local pattern deadline
  pattern=$(_tg_caption_pattern "$1")
  deadline=$((SECONDS + ${2:-10}))
  while [ $SECONDS -lt $deadline ]; do
    timeout 5 xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# tg_keys CAPTION KEY...: gives that window the focus, lets the toolkit take
# it, and types the keys.
tg_keys() {
  local id
  id=$(tg_window "$1" 10) || { tg_say "no window \"$1\" to type into"; return 1; }
  shift
  timeout 10 xdotool windowfocus --sync "$id" 2>/dev/null
  sleep 0.2
  timeout 20 xdotool key --clearmodifiers --delay 80 "$@"
}

# tg_click_close_box CAPTION: a mouse click on the close box at the right end
# of the window's caption bar (where Wine and the Qt style draw it).
tg_click_close_box() {
  local id WIDTH HEIGHT X Y SCREEN WINDOW
  id=$(tg_window "$1" 10) || return 1
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$id")"
  timeout 10 xdotool mousemove --window "$id" $((WIDTH - 12)) 11 click 1
  timeout 5 xdotool mousemove 0 0
}
