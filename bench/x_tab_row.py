#!/usr/bin/env python3
"""Finds the row of window tabs on an X screen as a user would: clicks at two points of a column
pair, row by row from a point inside the page area upward, until a click changes the page area
below it (a tab brought another page window to the front). Clicks inside a page, on a window's
title or in an empty part of the tab row change nothing there. Prints the row's y and the x whose
click made the change (its window is the one in front now); fails when no row up to the last one
does.

    DISPLAY=:n x_tab_row.py <x1> <x2> <from y> <to y>
"""

import sys
import time

from xscreen import Screen

STEP = 6  # pixels between the rows tried: less than a tab's height
WAIT_S = 0.5  # the longest a switch takes to show
WATCH = 300  # height of the page area watched below the row


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    x1, x2, from_y, to_y = (int(v) for v in sys.argv[1:])
    screen = Screen()
    width, height = screen.width, screen.height

    def snapshot(top, rows):
        return screen.picture(0, top, width, rows)

    def click_changes(x, y):
        top = y + 25
        rows = min(WATCH, height - top - 30)
        screen.move(x, y)
        time.sleep(0.05)
        before = snapshot(top, rows)
        screen.button(True)
        screen.button(False)
        screen.flush()
        clicked = time.monotonic()
        while time.monotonic() - clicked < WAIT_S:
            if snapshot(top, rows) != before:
                return True
            time.sleep(0.02)
        return False

    for y in range(from_y, to_y - 1, -STEP):
        for x in (x1, x2):
            if click_changes(x, y):
                print(y, x)
                return
    sys.exit(f"no click between y={from_y} and y={to_y} at x={x1} or x={x2} brought another window to the front")


if __name__ == "__main__":
    main()
