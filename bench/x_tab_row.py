#!/usr/bin/env python3
"""Finds the row of window tabs on an X screen as a user would: clicks at two points of a column
pair, row by row from a point inside the page area upward, until a click changes the page area
below it (a tab brought another page window to the front). Clicks inside a page, on a window's
title or in an empty part of the tab row change nothing there. Prints the row's y and the x whose
click made the change (its window is the one in front now); fails when no row up to the last one
does.

    DISPLAY=:n x_tab_row.py <x1> <x2> <from y> <to y>
"""

import ctypes
import ctypes.util
import sys
import time

STEP = 6  # pixels between the rows tried: less than a tab's height
WAIT_S = 0.5  # the longest a switch takes to show
WATCH = 300  # height of the page area watched below the row


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    x1, x2, from_y, to_y = (int(v) for v in sys.argv[1:])
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XGetImage.restype = ctypes.c_void_p
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    root = xlib.XDefaultRootWindow(display)
    width, height = xlib.XDisplayWidth(display, 0), xlib.XDisplayHeight(display, 0)

    class XImage(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                    ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                    ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                    ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                    ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]

    def snapshot(top, rows):
        image = ctypes.cast(xlib.XGetImage(display, root, 0, top, width, rows, 0xFFFFFFFF, 2),
                            ctypes.POINTER(XImage))
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * rows)
        xlib.XFree(image.contents.data)
        xlib.XFree(image)
        return data

    def click_changes(x, y):
        top = y + 25
        rows = min(WATCH, height - top - 30)
        xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
        xlib.XFlush(display)
        time.sleep(0.05)
        before = snapshot(top, rows)
        xtst.XTestFakeButtonEvent(display, 1, 1, 0)
        xtst.XTestFakeButtonEvent(display, 1, 0, 0)
        xlib.XFlush(display)
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
