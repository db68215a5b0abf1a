# Sourced by the tests of the GTK windows: the customer outside the host, who
# finds its windows on the X display and presses them with real X input
# (xdotool at the controls' places). The test build of the host tells, as the
# X property KORVADEN_WINDOW of each window, its template, where each control
# is and the digits a person reads off the pictures.
#
#   customer COMMAND...   wait ID (a window with control ID) | pause MS |
#                         shot NAME | click ID | keys DIGITS | code | wrongcode |
#                         key KEY | gone (the window went away) |
#                         box (a message box: prints its text, presses OK) |
#                         count (prints how many of the host's windows are shown) |
#                         title (prints the window's title as "title: TITLE") |
#                         waitbox (a message box becomes the window acted on) |
#                         desk BROWSER (on a desktop with a window manager:
#                           prints "desk: active=A above=B onscreen=C", 1 or 0:
#                           whether the window has the focus, is stacked above
#                           X window BROWSER, and lies wholly on the screen) |
#                         typed KEY (a key as the customer types it: to the
#                           window that has the focus, whichever it is)
# Needs $screens (the screenshots' folder); with `member_started` (date +%s%N)
# each wait prints the time since then, as "found ID after N ms".
export LC_ALL=C.UTF-8

xc_windows() { xdotool search --onlyvisible --classname korvaden-native 2>/dev/null; }
xc_described() { xprop -id "$1" -notype KORVADEN_WINDOW 2>/dev/null | sed -n 's/^KORVADEN_WINDOW = "\(.*\)"$/\1/p'; }
# xc_place DESCRIPTION ID: "X Y WIDTH HEIGHT [DIGITS]" of control ID, in the
# screen's pixels (GTK describes them in its own, GDK_SCALE times fewer).
xc_place() {
  tr '|' '\n' <<<"$1" | awk -v id="$2" -v k="${GDK_SCALE:-1}" '$1 == id && $4 > 0 { print $2 * k, $3 * k, $4 * k, $5 * k, $6 }'
}
xc_click_at() {  # xc_click_at WINDOW X Y WIDTH HEIGHT
  xdotool mousemove --window "$1" $(($2 + $4 / 2)) $(($3 + $5 / 2)) click 1
  sleep 0.05
}
xc_until() {  # xc_until SECONDS COMMAND...: until COMMAND succeeds
  local deadline=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
xc_find() {  # sets xc_win to a shown window with control $1
  local w
  for w in $(xc_windows); do
    if [ -n "$(xc_place "$(xc_described "$w")" "$1")" ]; then
      xc_win="$w"
      return 0
    fi
  done
  return 1
}
xc_find_box() {
  local w
  for w in $(xc_windows); do
    if [[ "$(xc_described "$w")" == box\|* ]]; then
      xc_box="$w"
      return 0
    fi
  done
  return 1
}
xc_shown() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }
xc_desk() {  # xc_desk WINDOW BROWSER
  local active stacking own browser x y w h root_w root_h
  active="$(xprop -root -notype _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' | head -n1)"
  stacking="$(xprop -root -notype _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*' | nl -ba)"
  own="$(awk -v w="$(printf '0x%x' "$1")" '$2 == w { print $1 }' <<<"$stacking")"
  browser="$(awk -v w="$(printf '0x%x' "$2")" '$2 == w { print $1 }' <<<"$stacking")"
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }')
  read -r root_w root_h < <(xwininfo -root | awk '/^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print w, h }')
  echo "desk: active=$([ "$active" = "$(printf '0x%x' "$1")" ] && echo 1 || echo 0)" \
    "above=$([ -n "$own" ] && [ -n "$browser" ] && [ "$own" -gt "$browser" ] && echo 1 || echo 0)" \
    "onscreen=$([ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$root_w" ] && [ $((y + h)) -le "$root_h" ] && echo 1 || echo 0)"
}
xc_not_shown() { ! xc_shown "$1"; }
xc_keys() {  # xc_keys DIGITS: clicks the keys that show them
  local description digit k place
  description="$(xc_described "$xc_win")"
  for ((i = 0; i < ${#1}; i++)); do
    digit="${1:i:1}"
    for k in 227 218 219 220 221 222 223 224 225 226; do
      place="$(xc_place "$description" "$k")"
      if [ "${place##* }" = "$digit" ]; then
        xc_click_at "$xc_win" $place
        break
      fi
    done
  done
}
xc_code() { local place; place="$(xc_place "$(xc_described "$xc_win")" 230)"; echo "${place##* }"; }

customer() {
  local place code
  while [ $# -gt 0 ]; do
    case "$1" in
      wait)
        xc_until 30 xc_find "$2" || { echo "customer: no window with control $2" >&2; return 1; }
        if [ -n "${member_started:-}" ]; then
          echo "found $2 after $((($(date +%s%N) - member_started) / 1000000)) ms"
        fi
        shift 2 ;;
      pause) sleep "$(awk -v ms="$2" 'BEGIN { print ms / 1000 }')"; shift 2 ;;
      shot) sleep 0.2; import -window "$xc_win" "$screens/$2.png"; shift 2 ;;
      click)
        place="$(xc_place "$(xc_described "$xc_win")" "$2")"
        [ -n "$place" ] || { echo "customer: no control $2" >&2; return 1; }
        xc_click_at "$xc_win" $place
        shift 2 ;;
      keys) xc_keys "$2"; shift 2 ;;
      code) xc_keys "$(xc_code)"; shift ;;
      wrongcode) code="$(xc_code)"; xc_keys "${code:0:5}$(( (${code:5:1} + 1) % 10 ))"; shift ;;
      key)
        # Under load a window is found before the X server lets it take the
        # focus: the key goes only to a window that has it.
        xc_until 30 xdotool windowfocus --sync "$xc_win" || { echo "customer: the window took no focus" >&2; return 1; }
        xdotool key --clearmodifiers "$2"
        shift 2 ;;
      gone) xc_until 30 xc_not_shown "$xc_win" || { echo "customer: the window stayed" >&2; return 1; }; shift ;;
      box)
        xc_until 30 xc_find_box || { echo "customer: no box" >&2; return 1; }
        xc_described "$xc_box" | cut -d'|' -f3-
        xc_click_at "$xc_box" $(xc_place "$(xc_described "$xc_box")" 1)
        xc_until 30 xc_not_shown "$xc_box"
        shift ;;
      count) { xc_windows || true; } | wc -l; shift ;;
      title) echo "title: $(xdotool getwindowname "$xc_win")"; shift ;;
      waitbox)
        xc_until 30 xc_find_box || { echo "customer: no box" >&2; return 1; }
        xc_win="$xc_box"
        shift ;;
      desk)
        # The window manager decides after the map: what it shows once it
        # has decided, or after 3 s.
        local line deadline=$(($(date +%s) + 3))
        until line="$(xc_desk "$xc_win" "$2")" && [[ "$line" == *"active=1 above=1 onscreen=1" ]] ||
          [ "$(date +%s)" -gt "$deadline" ]; do sleep 0.05; done
        echo "$line"
        shift 2 ;;
      typed) xdotool key --clearmodifiers "$2"; shift 2 ;;
      *) echo "customer: what is $1?" >&2; return 1 ;;
    esac
  done
}
