#!/usr/bin/env python3
# Asks an X11 window to close the way a window manager's close box does: a WM_DELETE_WINDOW
# client message. Unlike destroying the window, this lets the program run its own close path.
# usage: x11_close.py WINDOW_ID   (DISPLAY from the environment)
import ctypes
import ctypes.util
import sys

CLIENT_MESSAGE = 33


class ClientMessageData(ctypes.Union):
    _fields_ = [("b", ctypes.c_char * 20), ("s", ctypes.c_short * 10), ("l", ctypes.c_long * 5)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ClientMessageData),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: x11_close.py WINDOW_ID\n")
        return 2
    name = ctypes.util.find_library("X11") or "libX11.so.6"
    x11 = ctypes.CDLL(name)
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = x11.XOpenDisplay(None)
    if not display:
        sys.stderr.write("x11_close.py: cannot open the display\n")
        return 1
    event = XEvent()
    event.xclient.type = CLIENT_MESSAGE
    event.xclient.window = int(sys.argv[1], 0)
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data.l[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data.l[1] = 0  # CurrentTime
    status = x11.XSendEvent(display, event.xclient.window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)
    return 0 if status else 1


if __name__ == "__main__":
    sys.exit(main())
