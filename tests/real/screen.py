#!/usr/bin/env python3
"""Reads the X screen ($DISPLAY) for the real tests and the measurements.

    screen.py watch
        Prints a line each time the screen turns from all black to lit (any
        pixel not black) or back:

            lit <epoch-ms>
            dark <epoch-ms>

    The whole screen is read through shared memory (MIT-SHM) as fast as the
    server gives it, about 3 ms a read at 1920x1080 under Xvfb, so a time is
    late by at most one read. The first line says how the screen stands at
    the start. Runs until killed."""

import ctypes
import sys
import time

ZPIXMAP = 2
# Every colour plane but the lowest blue bit. With a full mask the server
# hands back the padding byte as the window wrote it (Qt writes 0xff there);
# any narrower mask makes it clear that byte, so black reads as 0.
PLANES = 0xFFFFFE
IPC_PRIVATE, IPC_CREAT, IPC_RMID = 0, 0o1000, 0


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class ShmSegmentInfo(ctypes.Structure):
    _fields_ = [("shmseg", ctypes.c_ulong), ("shmid", ctypes.c_int), ("shmaddr", ctypes.c_void_p),
                ("readOnly", ctypes.c_int)]


def libraries():
    x11, xext, libc = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXext.so.6"), ctypes.CDLL(None)
    p, i, u, ul = ctypes.c_void_p, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong
    x11.XOpenDisplay.restype = p
    x11.XDefaultRootWindow.restype, x11.XDefaultRootWindow.argtypes = ul, [p]
    x11.XDefaultVisual.restype, x11.XDefaultVisual.argtypes = p, [p, i]
    x11.XDefaultDepth.argtypes = x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [p, i]
    x11.XSync.argtypes = [p, i]
    xext.XShmCreateImage.restype = ctypes.POINTER(XImage)
    xext.XShmCreateImage.argtypes = [p, p, u, i, p, ctypes.POINTER(ShmSegmentInfo), u, u]
    xext.XShmAttach.argtypes = [p, ctypes.POINTER(ShmSegmentInfo)]
    xext.XShmGetImage.argtypes = [p, ul, ctypes.POINTER(XImage), i, i, ul]
    libc.shmget.argtypes = [i, ctypes.c_size_t, i]
    libc.shmat.restype, libc.shmat.argtypes = p, [i, p, i]
    libc.shmctl.argtypes = [i, i, p]
    libc.memcmp.argtypes = [p, p, ctypes.c_size_t]
    return x11, xext, libc


def watch():
    x11, xext, libc = libraries()
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no display")
    root = x11.XDefaultRootWindow(display)
    width, height = x11.XDisplayWidth(display, 0), x11.XDisplayHeight(display, 0)

    info = ShmSegmentInfo()
    image = xext.XShmCreateImage(display, x11.XDefaultVisual(display, 0), x11.XDefaultDepth(display, 0),
                                 ZPIXMAP, None, ctypes.byref(info), width, height)
    if not image:
        sys.exit("no shared-memory images on this display")
    size = image.contents.bytes_per_line * image.contents.height
    info.shmid = libc.shmget(IPC_PRIVATE, size, IPC_CREAT | 0o600)
    info.shmaddr = libc.shmat(info.shmid, None, 0)
    image.contents.data = info.shmaddr
    info.readOnly = 0
    if info.shmid < 0 or not xext.XShmAttach(display, ctypes.byref(info)):
        sys.exit("shared memory refused")
    x11.XSync(display, 0)
    libc.shmctl(info.shmid, IPC_RMID, None)  # freed once both sides let go
    black = ctypes.create_string_buffer(size)

    state = None
    reads, started = 0, time.monotonic()
    while True:
        if not xext.XShmGetImage(display, root, image, 0, 0, PLANES):
            sys.exit("reading the screen failed")
        lit = libc.memcmp(info.shmaddr, black, size) != 0
        reads += 1
        if reads == 200:
            print("read_ms %.1f" % ((time.monotonic() - started) * 1000 / reads), flush=True)
        if lit != state:
            state = lit
            print("lit" if lit else "dark", int(time.time() * 1000), flush=True)


def main():
    commands = {"watch": watch}
    if len(sys.argv) != 2 or sys.argv[1] not in commands:
        sys.exit("usage: screen.py watch")
    commands[sys.argv[1]]()


if __name__ == "__main__":
    main()
