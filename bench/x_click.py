#!/usr/bin/env python3
"""Clicks the left mouse button at a point of an X screen, as a user would (through the XTEST
extension), so that the window there takes the input focus.

    DISPLAY=:n x_click.py <x> <y>
"""

import sys
import time

from xscreen import Screen


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    x, y = int(sys.argv[1]), int(sys.argv[2])
    screen = Screen()
    screen.move(x, y)
    time.sleep(0.1)
    screen.button(True)
    screen.flush()
    time.sleep(0.05)
    screen.button(False)
    screen.flush()


if __name__ == "__main__":
    main()
