#!/usr/bin/env bash
# zintavel.exe on a desktop, under wine on a virtual X server:
#  - started alone (no data folder beside it) and without a console, as a
#    double-click starts it, it says why in a message box titled "Zintavel",
#    and exits 1 once the box is closed;
#  - the set-up card takes keys: G switches the gentle mode on, Enter starts
#    the show, and the choice is kept in the user's settings folder.
#   windows_desktop_test.sh EMULATOR ZINTAVEL_EXE PRESENTATION_DIR
set -uo pipefail
emulator=$1 exe=$2 demo=$3
for tool in Xvfb xdotool openbox; do
  command -v "$tool" >/dev/null || { echo "windows_desktop_test: $tool is missing (scripts/packages-windows.txt)"; exit 1; }
done
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "windows_desktop_test: $*"; exit 1; }

# A display of our own, and a window manager to give windows the keyboard.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
[[ "$DISPLAY" != ":" ]] || fail "Xvfb did not start"
openbox >/dev/null 2>&1 &
pids+=($!)

# Waits up to $2 seconds for a window whose title matches $1; prints its id.
window() {
  for _ in $(seq $(($2 * 4))); do
    local w
    w=$(xdotool search --name "$1" 2>/dev/null | head -1)
    [[ -n "$w" ]] && { echo "$w"; return 0; }
    sleep 0.25
  done
  return 1
}
# Waits up to $2 seconds for process $1 to end; its exit code in $code.
finish() {
  for _ in $(seq $(($2 * 4))); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; code=$?; return 0; }
    sleep 0.25
  done
  return 1
}

# Alone, with no console: `start /unix` gives the program no standard handles.
mkdir "$work/alone"
cp "$exe" "$work/alone/zintavel.exe"
(cd "$work/alone" && exec "$emulator" start /wait /unix "$work/alone/zintavel.exe") >/dev/null 2>&1 &
alone=$!
pids+=($alone)
box=$(window '^Zintavel$' 90) || fail "no message box titled Zintavel appeared for a zintavel.exe without its data folder"
# Closed with Enter, its default button; sent again should the first be lost.
for _ in $(seq 20); do
  xdotool windowfocus "$box" key Return >/dev/null 2>&1
  finish "$alone" 1 && break
done
kill -0 "$alone" 2>/dev/null && fail "the message box did not close on Enter"
[[ $code -eq 1 ]] || fail "zintavel.exe alone exited $code after its message box, not 1"
echo "alone: a message box titled Zintavel, exit 1 once closed"

# The set-up card, with a settings folder of its own.
prefix=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/zintavel/wine}
settings="$prefix/drive_c/users/$(id -un)/AppData/Roaming/Zintavel/settings.txt"
rm -f "$settings"
"$emulator" "$exe" --window --dir "$demo" --quit-at 30000 >"$work/card.log" 2>&1 &
card=$!
pids+=($card)
window '^Zintavel' 90 >/dev/null || fail "no window for the set-up card"
# Keys sent as the window first shows can be lost while wine hands it the
# keyboard: G again until the program says it took it.
for _ in $(seq 40); do
  grep -q "gentle mode on (the set-up card)" "$work/card.log" && break
  xdotool key g
  sleep 1
done
grep -q "gentle mode on (the set-up card)" "$work/card.log" || { cat "$work/card.log"; fail "G on the set-up card did nothing"; }
xdotool key Return
for _ in $(seq 40); do [[ -f "$settings" ]] && break; sleep 0.25; done
grep -q '^gentle=on' "$settings" 2>/dev/null || fail "the choice was not kept in $settings"
grep -q '^screen=window' "$settings" || fail "the window was not kept in $settings"
# Escape starts the closing, a second one ends it.
for _ in $(seq 20); do
  xdotool key Escape
  finish "$card" 1 && break
done
kill -0 "$card" 2>/dev/null && fail "Escape did not end the show"
[[ $code -eq 0 ]] || { cat "$work/card.log"; fail "the show exited $code, not 0"; }
rm -f "$settings"
echo "set-up card: G took, Enter started the show, the choice kept in %APPDATA%"
