#!/usr/bin/env bash
# The whole program on a virtual screen with a window manager: a bookmark file that cannot be read at
# start (a disk that is not mounted) is told in a message before the main window shows, and its
# setting is still in the settings file after a normal close; and a home folder whose name is not
# UTF-8, under LANG=C, gets the program's data below it, with no new folder beside it. Every wait is
# bounded.
set -u
program="$1"
for tool in Xvfb openbox wmctrl xprop xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/virtual_screen.sh"
fail() { echo "$1"; [ -f "$work/brivo.ini" ] && cat "$work/brivo.ini"; tail -20 "$work/out.txt" 2>/dev/null; exit 1; }

# the settings file lies next to the executable: a copy of its own keeps the build's file untouched
cp "$program" "$work/brivo"
printf '<html><head><title>Kept</title></head><body>x</body></html>' > "$work/page.html"
start_virtual_screen
export QT_QPA_PLATFORM=xcb

# the program's windows of a given type (DIALOG or NORMAL: the first type a window names), newest last
windows_of() {
  local id
  for id in $(wmctrl -lp 2>/dev/null | awk -v p="$app" '$3 == p {print $1}'); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | sed 's/.*= //; s/,.*//' | grep -qx "_NET_WM_WINDOW_TYPE_$1" &&
      echo "$id"
  done
}
has_window() { wid="$(windows_of "$1" | tail -1)"; [ -n "$wid" ]; }
gone() { ! kill -0 "$app" 2>/dev/null; }
start() { # home
  HOME="$1" XDG_CONFIG_HOME="" XDG_DATA_HOME="" XDG_CACHE_HOME="" LANG=C LC_ALL=C \
    "$work/brivo" "$work/page.html" >> "$work/out.txt" 2>&1 &
  app=$!
}
close_main() {
  wait_for 450 has_window NORMAL || fail "the main window did not appear"
  # asked again while the window is being made anew (a close sent to the old one is lost)
  close_once() { has_window NORMAL && wmctrl -i -c "$wid"; wait_for 10 gone; }
  wait_for 15 close_once || fail "the program did not end when its window was closed"
  app=""
}

# a bookmark file on a disk that is not mounted
missing="$work/unmounted/bookmarks.htm"
printf '[Main]\nBookmarkFile=%s\n' "$missing" > "$work/brivo.ini"
mkdir -p "$work/home"
start "$work/home"
wait_for 450 has_window DIALOG || fail "nothing was told at start about the bookmark file that cannot be read"
has_window NORMAL && fail "the main window showed before the message"
xdotool key --window "$wid" Return
close_main
grep -qxF "BookmarkFile=$missing" "$work/brivo.ini" || fail "the close did not keep the bookmark file's setting"

# a home folder named in Latin-1 ("héme")
mkdir "$work/homes"
home="$(printf '%s/homes/h\351me' "$work")"
mkdir "$home"
printf '[Main]\n' > "$work/brivo.ini"
start "$home"
close_main
[ -d "$home/.local/share/brivo" ] || fail "the program's data is not under the real home folder"
beside="$(find "$work/homes" -mindepth 1 -maxdepth 1 | wc -l)"
[ "$beside" = 1 ] || { find "$work/homes" | cat -v | head -30; fail "a folder was made beside the real home folder"; }
echo "the bookmark file's setting was kept and told, and the data stayed under the real home folder"
