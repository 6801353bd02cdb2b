#!/usr/bin/env python3
"""Reads the X screen ($DISPLAY) for the real tests and the measurements.

    screen.py watch
        Prints a line each time the screen turns from all black to lit (any
        pixel not black) or back:

            lit <epoch-ms>
            dark <epoch-ms>

        The whole screen is read as fast as the server gives it, about 3 ms a
        read at 1920x1080 under Xvfb, so a time is late by at most one read.
        The first line says how the screen stands at the start. Runs until
        killed.

    screen.py look [--save FILE] [X Y W H]
        Reads the screen once and prints shell assignments about the
        rectangle (the whole screen unless given), all whole numbers:

            inside_lit       pixels inside that are not black
            colours          distinct colours of those pixels
            left top right bottom
                             the lit pixels' bounding box, in the
                             rectangle's coordinates (-1 when none is lit)
            white            pixels inside that are white (the test
                             server's root window showing)
            outside_changed  pixels outside that are not white
            mean             the mean brightness inside, 0 (black) to 1000
                             (white)
            sum              a checksum (CRC-32) of the pixels inside
            pointer          the pointer's visible pixels, wherever it is
                             (XFixes)

        --save FILE also writes the rectangle as it was read to a PNG file.

The screen is read through shared memory (MIT-SHM), or with a plain
XGetImage where the server refuses shared memory."""

import ctypes
import struct
import sys
import time
import zlib

ZPIXMAP = 2
ALL_PLANES = 0xFFFFFFFF
# Every colour plane but the lowest blue bit. With a full mask the server
# hands back the padding byte as the window wrote it (Qt writes 0xff there);
# any narrower mask makes it clear that byte, so black reads as 0.
WATCH_PLANES = 0xFFFFFE
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


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def libraries():
    x11, xext, libc = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXext.so.6"), ctypes.CDLL(None)
    p, i, u, ul = ctypes.c_void_p, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong
    x11.XOpenDisplay.restype = p
    x11.XDefaultRootWindow.restype, x11.XDefaultRootWindow.argtypes = ul, [p]
    x11.XDefaultVisual.restype, x11.XDefaultVisual.argtypes = p, [p, i]
    x11.XDefaultDepth.argtypes = x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [p, i]
    x11.XSync.argtypes = [p, i]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [p, ul, i, i, u, u, ul, i]
    x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    x11.XSetErrorHandler.restype = p
    x11.XSetErrorHandler.argtypes = [p]
    xext.XShmQueryExtension.argtypes = [p]
    xext.XShmCreateImage.restype = ctypes.POINTER(XImage)
    xext.XShmCreateImage.argtypes = [p, p, u, i, p, ctypes.POINTER(ShmSegmentInfo), u, u]
    xext.XShmAttach.argtypes = [p, ctypes.POINTER(ShmSegmentInfo)]
    xext.XShmGetImage.argtypes = [p, ul, ctypes.POINTER(XImage), i, i, ul]
    libc.shmget.argtypes = [i, ctypes.c_size_t, i]
    libc.shmat.restype, libc.shmat.argtypes = p, [i, p, i]
    libc.shmctl.argtypes = [i, i, p]
    libc.memcmp.argtypes = [p, p, ctypes.c_size_t]
    return x11, xext, libc


# An X error (a refused shared-memory attach) is noted, not fatal.
X_ERRORS = []
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
    lambda display, event: X_ERRORS.append(1) or 0)


class Screen:
    """The root window of $DISPLAY, read whole as 32-bit pixels (0x00RRGGBB)."""

    def __init__(self, planes):
        self.x11, self.xext, self.libc = libraries()
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("no display")
        self.x11.XSetErrorHandler(ERROR_HANDLER)
        self.root = self.x11.XDefaultRootWindow(self.display)
        self.width = self.x11.XDisplayWidth(self.display, 0)
        self.height = self.x11.XDisplayHeight(self.display, 0)
        self.planes = planes
        self.image = self.shared_image()

    def shared_image(self):
        """A shared-memory image of the whole screen, or None where refused."""
        if not self.xext.XShmQueryExtension(self.display):
            return None
        info = ShmSegmentInfo()
        image = self.xext.XShmCreateImage(self.display, self.x11.XDefaultVisual(self.display, 0),
                                          self.x11.XDefaultDepth(self.display, 0), ZPIXMAP, None,
                                          ctypes.byref(info), self.width, self.height)
        if not image:
            return None
        self.size = image.contents.bytes_per_line * image.contents.height
        info.shmid = self.libc.shmget(IPC_PRIVATE, self.size, IPC_CREAT | 0o600)
        if info.shmid < 0:
            return None
        info.shmaddr = self.libc.shmat(info.shmid, None, 0)
        image.contents.data = info.shmaddr
        info.readOnly = 0
        attached = self.xext.XShmAttach(self.display, ctypes.byref(info))
        self.x11.XSync(self.display, 0)
        self.libc.shmctl(info.shmid, IPC_RMID, None)  # freed once both sides let go
        if not attached or X_ERRORS:
            return None
        self.info = info
        return image

    def read(self):
        """Reads the screen; returns (address, bytes_per_line) of the pixels,
        valid until the next read."""
        if self.image:
            if not self.xext.XShmGetImage(self.display, self.root, self.image, 0, 0, self.planes):
                sys.exit("reading the screen failed")
            return self.info.shmaddr, self.image.contents.bytes_per_line
        if getattr(self, "plain", None):
            self.x11.XDestroyImage(self.plain)
        self.plain = self.x11.XGetImage(self.display, self.root, 0, 0, self.width, self.height,
                                        self.planes, ZPIXMAP)
        if not self.plain or self.plain.contents.bits_per_pixel != 32:
            sys.exit("reading the screen failed")
        self.size = self.plain.contents.bytes_per_line * self.plain.contents.height
        return self.plain.contents.data, self.plain.contents.bytes_per_line


def watch():
    screen = Screen(WATCH_PLANES)
    black = None
    state = None
    reads, started = 0, time.monotonic()
    while True:
        address, _ = screen.read()
        if black is None:
            black = ctypes.create_string_buffer(screen.size)
        lit = screen.libc.memcmp(address, black, screen.size) != 0
        reads += 1
        if reads == 200:
            print("read_ms %.1f" % ((time.monotonic() - started) * 1000 / reads), flush=True)
        if lit != state:
            state = lit
            print("lit" if lit else "dark", int(time.time() * 1000), flush=True)


def repeated(word, count):
    """The 32-bit word repeated count times, as one integer (pixel 0 lowest)."""
    return int.from_bytes(struct.pack("<I", word) * count, "little")


def flags(pixels, count, colour_mask, one):
    """One bit (the lowest of its 32) for each pixel of the integer that has
    any bit of its 24 colour bits set."""
    pixels &= colour_mask
    pixels = (pixels | (pixels >> 8) | (pixels >> 16)) & repeated(0xFF, count)
    pixels |= pixels >> 4
    pixels |= pixels >> 2
    pixels |= pixels >> 1
    return pixels & one


def pointer_pixels(display):
    xfixes = ctypes.CDLL("libXfixes.so.3")
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    image = xfixes.XFixesGetCursorImage(display)
    if not image:
        sys.exit("no pointer image (XFixes)")
    c = image.contents
    return sum(1 for i in range(c.width * c.height) if (c.pixels[i] >> 24) & 0xFF)


def write_png(path, width, height, rows):
    """rows: the pixels of each row, 4 bytes each (blue, green, red, padding)."""
    raw = bytearray()
    for row in rows:
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
        raw += b"\0" + rgb

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def look(args):
    save = None
    if args[:1] == ["--save"]:
        save, args = args[1], args[2:]
    screen = Screen(ALL_PLANES)
    if len(args) == 4:
        x, y, w, h = (int(a) for a in args)
    elif not args:
        x, y, w, h = 0, 0, screen.width, screen.height
    else:
        sys.exit("usage: screen.py look [--save FILE] [X Y W H]")
    # The rectangle's part on the screen.
    x0, y0 = max(x, 0), max(y, 0)
    x1, y1 = min(x + w, screen.width), min(y + h, screen.height)
    address, stride = screen.read()
    data = ctypes.string_at(address, stride * screen.height)
    width = screen.width

    def row_flags(row, count, test):
        return flags(int.from_bytes(row, "little") ^ test, count, colour_masks[count], ones[count])

    colour_masks, ones = {}, {}
    for count in {width, max(x1 - x0, 0)}:
        colour_masks[count], ones[count] = repeated(0xFFFFFF, count), repeated(1, count)
    whites = {count: repeated(0xFFFFFF, count) for count in colour_masks}

    inside_lit = not_white_inside = not_white = 0
    left = top = right = bottom = -1
    colours, brightness, crc, rows = set(), 0, 0, []
    for py in range(screen.height):
        line = data[py * stride:py * stride + width * 4]
        not_white += row_flags(line, width, whites[width]).bit_count()
        if py < y0 or py >= y1 or x1 <= x0:
            continue
        row = line[x0 * 4:x1 * 4]
        count = x1 - x0
        not_white_inside += row_flags(row, count, whites[count]).bit_count()
        lit = row_flags(row, count, 0)
        if lit:
            inside_lit += lit.bit_count()
            first, last = ((lit & -lit).bit_length() - 1) // 32, (lit.bit_length() - 1) // 32
            left = x0 - x + first if left < 0 else min(left, x0 - x + first)
            right = max(right, x0 - x + last)
            top = py - y if top < 0 else top
            bottom = py - y
        pixels = bytearray(row)
        pixels[3::4] = bytes(count)  # the padding byte
        colours.update(struct.unpack("<%dI" % count, pixels))
        brightness += sum(pixels)
        crc = zlib.crc32(pixels, crc)
        rows.append(pixels)
    colours.discard(0)
    area = max(x1 - x0, 0) * max(y1 - y0, 0)
    mean = brightness * 1000 // (area * 3 * 255) if area else 0
    if save:
        write_png(save, max(x1 - x0, 0), len(rows), rows)
    print("inside_lit=%d colours=%d left=%d top=%d right=%d bottom=%d white=%d outside_changed=%d mean=%d sum=%d "
          "pointer=%d" % (inside_lit, len(colours), left, top, right, bottom, area - not_white_inside,
                          not_white - not_white_inside, mean, crc, pointer_pixels(screen.display)))


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "watch":
        watch()
    elif len(sys.argv) >= 2 and sys.argv[1] == "look":
        look(sys.argv[2:])
    else:
        sys.exit("usage: screen.py watch | look [--save FILE] [X Y W H]")


if __name__ == "__main__":
    main()
