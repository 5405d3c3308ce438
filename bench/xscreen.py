"""The X screen as the benchmark tools (and the whole-program tests that look at the screen) see and
use it, through Xlib and the XTEST extension: the pictures of its rectangles, and the pointer moved and
clicked as a user's mouse would be."""

import ctypes
import ctypes.util
import sys


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Screen:
    """The display named by DISPLAY; ends the program when it cannot be opened."""

    def __init__(self):
        xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                   ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XGetImage.restype = ctypes.POINTER(XImage)
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                              ctypes.c_ulong]
        xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self._xlib, self._xtst = xlib, xtst
        self._display = xlib.XOpenDisplay(None)
        if not self._display:
            sys.exit("cannot open the display")
        self._root = xlib.XDefaultRootWindow(self._display)
        self.width = xlib.XDisplayWidth(self._display, 0)
        self.height = xlib.XDisplayHeight(self._display, 0)

    def picture(self, left, top, width, height):
        """The bytes of a rectangle's pixels as the screen shows them now."""
        image = self._xlib.XGetImage(self._display, self._root, left, top, width, height, 0xFFFFFFFF, 2)
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
        self._xlib.XFree(image.contents.data)
        self._xlib.XFree(image)
        return data

    def move(self, x, y):
        """The pointer goes to a point, at once."""
        self._xtst.XTestFakeMotionEvent(self._display, -1, x, y, 0)
        self.flush()

    def button(self, down):
        """The left button goes down or up; sent with the next flush."""
        self._xtst.XTestFakeButtonEvent(self._display, 1, 1 if down else 0, 0)

    def flush(self):
        self._xlib.XFlush(self._display)
