#!/usr/bin/env python3
"""Times page-window switches on an X screen as a user sees them: clicks the given points in turn
(the tabs of two windows) and, after each click, watches a rectangle of the screen until it has not
changed for a while; the time from the click to its last change is the switch. Prints one time in
milliseconds per switch, and how many separate changes it took (a switch drawn in one step shows
one).

    DISPLAY=:n x_switch_time.py <switches> <left> <top> <width> <height> <x>,<y> <x>,<y>...
"""

import sys
import time
import zlib

from xscreen import Screen

QUIET_S = 0.4  # unchanged this long: the switch is over
LIMIT_S = 5.0


def main():
    if len(sys.argv) < 8:
        sys.exit(__doc__)
    switches = int(sys.argv[1])
    left, top, width, height = (int(v) for v in sys.argv[2:6])
    points = [tuple(int(v) for v in p.split(",")) for p in sys.argv[6:]]
    screen = Screen()

    def snapshot():
        return zlib.crc32(screen.picture(left, top, width, height))

    for n in range(switches):
        x, y = points[n % len(points)]
        screen.move(x, y)
        time.sleep(0.2)
        before = snapshot()
        clicked = time.monotonic()
        screen.button(True)
        screen.button(False)
        screen.flush()
        last_change = None
        changes = 0
        previous = before
        while True:
            now = time.monotonic()
            current = snapshot()
            if current != previous:
                last_change = now
                changes += 1
                previous = current
            elif now - (last_change or clicked) > QUIET_S or now - clicked > LIMIT_S:
                break
        if last_change is None:
            print("nochange 0", flush=True)
        else:
            print(f"{(last_change - clicked) * 1000:.1f} {changes}", flush=True)


if __name__ == "__main__":
    main()
