#!/usr/bin/env python3
"""Measures the saver end to end and prints the figures as a table beside two
peers, a terminal audio visualizer (cava) and a line hack (XScreenSaver's
qix), and beside gyrobloom-hack, each run in the same conditions.

  tools/measure.sh [-n RUNS] [-s SECONDS] [-p PROGRAM] [--hack HACK] [--no-peers] [--only ROWS]

  -n RUNS      runs per figure; the table gives the median (default 3)
  -s SECONDS   length of each processor and memory measurement (default 20)
  -p PROGRAM   the gyrobloom to measure (default build/release/gyrobloom)
  --hack HACK  the gyrobloom-hack to measure (default app/hack/gyrobloom-hack
               beside PROGRAM)
  --no-peers   leave out cava and qix (they are installed when missing)
  --only ROWS  a comma-separated subset of the rows:
               latency,1080,1080-silent,2160,4320,heavy,cava,qix,hack,
               xorg-1080,xorg-2x1080,wayland-1080,wayland-1080-scale2

Every X11 run gets its own X server (Xvfb at the row's size, on a display it
picks itself; for the rows of monitors, Xorg with the dummy driver, split
into monitors side by side with xrandr as tests/real/lib.sh does, which
needs root), and all share one private PulseAudio server with a null
output and input; the music is a swelling chord played into it. Processor
use is the process's own user + system time over wall time, in percent of
one core; the X server's is its own over the same time, apart (on X11 the
saver's lines are drawn by the server); peak resident memory is the
kernel's high-water mark (VmHWM); wake-ups are the times the program's
threads were switched in (voluntary and involuntary context switches, all
threads), per second. Steps and frames per second come from the saver
itself (GYROBLOOM_STATS). The Wayland rows run tools/wayland-cost.sh: a
headless sway of one 1920x1080 output (at scale 1 or 2) run by a
throw-away user with its own sound server (root only, as the Wayland tests),
the compositor's CPU in the X server's column.
The latencies are taken by polling the screen and the process:
  start to first frame   program started -> the screen's centre turns black
  key to exit            a key press (XTest) -> the process has ended
  SIGTERM to exit        kill -TERM -> the process has ended
  sound onset to light   the first sound sample handed to the server by a
                         player already streaming silence -> the first
                         non-black pixel (tests/real/screen.py watch, which
                         reads the screen through shared memory every few
                         milliseconds)
This is a measuring tool, not a test: nothing here passes or fails."""

import argparse
import array
import collections
import ctypes
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCREEN_WATCH = os.path.join(ROOT, "tests", "real", "screen.py")
QIX = "/usr/libexec/xscreensaver/qix"
HEADER = ("program", "CPU % of one core", "X server's (compositor's) CPU %", "peak resident MB", "wake-ups/s",
          "steps/s", "frames/s")
WAYLAND_COST = os.path.join(ROOT, "tools", "wayland-cost.sh")
COST_LINE = re.compile(r"^cpu=(\S+) compositor=(\S+) mb=(\S+) wakeups=(\S+) steps=(\S+) frames=(\S+)$", re.MULTILINE)
HEAVY_SETTINGS = "[Settings]\nNumber of Rays=100\nLine Length=100\nRay Width=100\nMirror=True\n"
CAVA_CONFIG = ("[general]\nframerate = 60\n[input]\nmethod = pulse\nsource = auto\n"
               "[output]\nmethod = raw\nraw_target = /dev/null\ndata_format = binary\n")
STATS_LINE = re.compile(r"^gyrobloom: (\S+) steps, (\S+) frames in (\S+)", re.MULTILINE)

# The table's rows in order. program: "saver" (gyrobloom /s, which counts its
# steps and frames and ends on a key), "hack" (gyrobloom-hack -root, ended by
# SIGTERM), or a peer, "cava" or "qix" (left out with --no-peers).
# monitors: the sizes of the monitors side by side on an Xorg desk, or None
# for one Xvfb screen. program "wayland": the saver under sway, its output
# at the row's scale.
Row = collections.namedtuple("Row", "key label program size music settings monitors scale", defaults=(None, 1))
ROWS = [
    Row("cava", "cava {cava}, terminal audio visualizer, 60 fps, music", "cava", "1920x1080", True, None),
    Row("qix", "XScreenSaver's qix on the 1920x1080 root window (no sound)", "qix", "1920x1080", False, None),
    Row("hack", "`gyrobloom-hack -root` 1920x1080, music", "hack", "1920x1080", True, "default"),
    Row("1080", "`gyrobloom /s` 1920x1080, music", "saver", "1920x1080", True, "default"),
    Row("1080-silent", "`gyrobloom /s` 1920x1080, silence", "saver", "1920x1080", False, "default"),
    Row("2160", "`gyrobloom /s` 3840x2160, music", "saver", "3840x2160", True, "default"),
    Row("4320", "`gyrobloom /s` 7680x4320, music", "saver", "7680x4320", True, "default"),
    Row("heavy", "`gyrobloom /s` 1920x1080, music, 100 rays, length 100, width 100, mirror",
        "saver", "1920x1080", True, "heavy"),
    Row("xorg-1080", "`gyrobloom /s` 1920x1080 on Xorg (dummy driver), one monitor, music", "saver",
        "1920x1080", True, "default", ("1920x1080",)),
    Row("xorg-2x1080", "`gyrobloom /s` 3840x1080 on Xorg (dummy driver), two 1920x1080 monitors, music", "saver",
        "3840x1080", True, "default", ("1920x1080", "1920x1080")),
    Row("wayland-1080", "`gyrobloom /s` 1920x1080 under sway (Wayland), music", "wayland", "1920x1080", True,
        "default"),
    Row("wayland-1080-scale2", "`gyrobloom /s` 1920x1080 under sway (Wayland), output scale 2, music", "wayland",
        "1920x1080", True, "default", None, 2),
]
ROW_KEYS = ["latency", "1080", "1080-silent", "2160", "4320", "heavy", "cava", "qix", "hack",
            "xorg-1080", "xorg-2x1080", "wayland-1080", "wayland-1080-scale2"]  # as --help lists them
XORG_PACKAGES = ["xserver-xorg-core", "xserver-xorg-video-dummy", "x11-xserver-utils"]
LATENCIES = (("first_frame_ms", "start to first frame"), ("key_exit_ms", "key to exit"),
             ("term_exit_ms", "SIGTERM to exit"), ("onset_ms", "sound onset to the first lit pixel"))


# --- Options, medians, the table ----------------------------------------------

def parse_options(argv):
    parser = argparse.ArgumentParser(prog="measure.sh", add_help=False)
    parser.add_argument("-n", dest="runs", type=int, default=3)
    parser.add_argument("-s", dest="seconds", type=float, default=20)
    parser.add_argument("-p", dest="program", default="build/release/gyrobloom")
    parser.add_argument("--hack")
    parser.add_argument("--no-peers", dest="peers", action="store_false")
    parser.add_argument("--only", type=lambda text: [key for key in text.split(",") if key], default=ROW_KEYS)
    parser.add_argument("-h", "--help", action="store_true")
    return parser.parse_args(argv)


def median(values):
    """The median of figures given as text, "-" (none) left out: the middle
    one as it came, or the mean of the middle two to 2 places."""
    numbers = sorted((v for v in values if v != "-"), key=float)
    if not numbers:
        return "-"
    middle = len(numbers) // 2
    if len(numbers) % 2:
        return numbers[middle]
    return "%.2f" % ((float(numbers[middle - 1]) + float(numbers[middle])) / 2)


def table_row(label, runs):
    """A row of the table from runs of (cpu, peak, steps/s, frames/s, X server's cpu, wake-ups/s)."""
    cpu, peak, steps, frames, xcpu, wakeups = (median(column) for column in (list(zip(*runs)) or [[]] * 6))
    return "| %s |" % " | ".join((label, cpu, xcpu, peak, wakeups, steps, frames))


def cost_line(text):
    """(cpu, peak, steps/s, frames/s, compositor's cpu, wake-ups/s) from
    tools/wayland-cost.sh's output, or "-"s when it printed none."""
    found = COST_LINE.findall(text)
    if not found:
        return ("-",) * 6
    cpu, compositor, peak, wakeups, steps, frames = found[-1]
    return cpu, peak, steps, frames, compositor, wakeups


def context_switches(statuses):
    """Voluntary + involuntary context switches summed over the texts of
    /proc/PID/task/*/status."""
    return sum(int(n) for text in statuses for n in re.findall(r"^\w*ctxt_switches:\s+(\d+)", text, re.MULTILINE))


def table(rows):
    return "\n".join(["| %s |" % " | ".join(HEADER), "|" + "---|" * len(HEADER)] + rows)


def latency_line(runs):
    """The sentence under the table from runs of {figure: ms}."""
    return "At 1920x1080: %s." % ", ".join(
        "%s %s ms" % (words, median([run[key] for run in runs])) for key, words in LATENCIES)


def steps_and_frames(log):
    """Steps and frames per second from the saver's log, or "-"s."""
    found = STATS_LINE.findall(log)
    if not found:
        return "-", "-"
    steps, frames, seconds = (float(word) for word in found[-1])
    return "%.1f" % (steps / seconds), "%.1f" % (frames / seconds)


def cpu_ticks(stat):
    """User + system ticks from the text of /proc/PID/stat (whose name in
    brackets may hold spaces)."""
    fields = stat[stat.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])


def percent(ticks, hz, seconds):
    return "%.2f" % (100 * ticks / hz / seconds)


def ms(a, b):
    return "-" if a is None or b is None else "%.0f" % ((b - a) * 1000)


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


def wait_until(test, limit_s, pause_s=0.001):
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        if test():
            return time.monotonic()
        time.sleep(pause_s)
    return None


# --- The screen's centre and the keyboard (Xlib and XTest through ctypes) -----

IO_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)


class Screen:
    """A connection to one X server, closed before the server stops. Xlib
    ends the process when its server goes away: on_lost (an
    IO_ERROR_HANDLER) runs first."""
    ZPIXMAP, COLOUR_PLANES, SPACE = 2, 0x00FFFFFF, 0x20  # the fourth byte of a pixel is padding

    def __init__(self, name, on_lost):
        p, i, u, ul = ctypes.c_void_p, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong
        self.x11, self.xtst = x11, xtst = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
        x11.XOpenDisplay.restype, x11.XOpenDisplay.argtypes = p, [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype, x11.XDefaultRootWindow.argtypes = ul, [p]
        x11.XGetImage.restype, x11.XGetImage.argtypes = p, [p, ul, i, i, u, u, ul, i]
        x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [p, i]
        x11.XKeysymToKeycode.argtypes = [p, ul]
        x11.XGetPixel.restype, x11.XGetPixel.argtypes = ul, [p, i, i]
        x11.XFlush.argtypes = x11.XDestroyImage.argtypes = x11.XCloseDisplay.argtypes = [p]
        xtst.XTestFakeKeyEvent.argtypes = [p, u, i, ul]
        x11.XSetIOErrorHandler(on_lost)
        self.display = x11.XOpenDisplay(name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + name)
        self.root = x11.XDefaultRootWindow(self.display)
        self.centre = x11.XDisplayWidth(self.display, 0) // 2, x11.XDisplayHeight(self.display, 0) // 2

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def centre_is_black(self):
        image = self.x11.XGetImage(self.display, self.root, *self.centre, 1, 1, self.COLOUR_PLANES, self.ZPIXMAP)
        if not image:
            return False
        pixel = self.x11.XGetPixel(image, 0, 0)
        self.x11.XDestroyImage(image)
        return pixel == 0

    def press_space(self):
        space = self.x11.XKeysymToKeycode(self.display, self.SPACE)
        self.xtst.XTestFakeKeyEvent(self.display, space, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.display, space, 0, 0)
        self.x11.XFlush(self.display)


class Player:
    """A stream on the default output that plays silence until switched on,
    then a chord at half scale; the time of the first chord sample handed to
    the server is the onset. The stream is up before it counts, so the figure
    holds no player start-up."""
    RATE, CHUNK = 44100, 441  # 10 ms

    def __init__(self):
        class Spec(ctypes.Structure):
            _fields_ = [("format", ctypes.c_int), ("rate", ctypes.c_uint32), ("channels", ctypes.c_uint8)]

        class Attr(ctypes.Structure):
            _fields_ = [(n, ctypes.c_uint32) for n in ("maxlength", "tlength", "prebuf", "minreq", "fragsize")]

        self.pulse = pulse = ctypes.CDLL("libpulse-simple.so.0")
        pulse.pa_simple_new.restype = ctypes.c_void_p
        pulse.pa_simple_write.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t, ctypes.c_void_p]
        pulse.pa_simple_free.argtypes = [ctypes.c_void_p]
        spec = Spec(3, self.RATE, 1)  # signed 16-bit little-endian, mono
        attr = Attr(0xFFFFFFFF, self.CHUNK * 2 * 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF)
        self.stream = pulse.pa_simple_new(None, b"measure", 1, None, b"onset", ctypes.byref(spec), None,
                                          ctypes.byref(attr), ctypes.byref(ctypes.c_int(0)))
        if not self.stream:
            raise RuntimeError("no PulseAudio stream")
        self.silence = bytes(self.CHUNK * 2)
        self.chord = [array.array("h", (int(16384 / 3 * sum(
            math.sin(2 * math.pi * f * (n * self.CHUNK + i) / self.RATE) for f in (220, 277, 330)))
            for i in range(self.CHUNK))).tobytes() for n in range(100)]  # one second
        self.on, self.onset, self.running = False, None, True
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        n = 0
        while self.running:
            if self.on:
                if self.onset is None:
                    self.onset = time.time()
                data = self.chord[n % len(self.chord)]
                n += 1
            else:
                data = self.silence
            if self.pulse.pa_simple_write(self.stream, data, len(data), None) < 0:
                break

    def stop(self):
        self.running = False
        self.thread.join()
        self.pulse.pa_simple_free(self.stream)


# --- Private servers and the programs measured, all stopped however it ends ----

class Session:
    def __init__(self, options):
        self.options = options
        self.temp = tempfile.mkdtemp(prefix="gyrobloom-measure.")
        self.processes, self.xvfb, self.screen = [], None, None
        self.hz = os.sysconf("SC_CLK_TCK")
        self.on_lost = IO_ERROR_HANDLER(self.x_server_lost)
        home = self.path("home")
        os.environ.update(HOME=home, XDG_RUNTIME_DIR=self.path("xdg"), XDG_CONFIG_HOME=home + "/.config",
                          PULSE_RUNTIME_PATH=self.path("pulse"), PULSE_SERVER="unix:" + self.path("pulse/native"))
        for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY"):
            os.environ.pop(name, None)
        os.makedirs(home)
        os.makedirs(self.path("xdg"), mode=0o700)
        os.makedirs(self.path("pulse"), mode=0o700)

    def path(self, name):
        return os.path.join(self.temp, name)

    def start(self, command, log=None, **kwargs):
        with open(log or os.devnull, "wb") as output:
            process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output, stderr=output, **kwargs)
        self.processes.append(process)
        return process

    def stop(self, process):
        if process is None or process not in self.processes:
            return
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        self.processes.remove(process)  # only now: a signal meanwhile leaves it to cleanup()

    def cleanup(self):
        while self.processes:
            self.stop(self.processes[-1])
        shutil.rmtree(self.temp, ignore_errors=True)

    def x_server_lost(self, _display):
        print("measure.sh: the X server went away", file=sys.stderr)
        self.cleanup()
        return 0

    def start_xvfb(self, size):
        self.stop_xvfb()
        number = self.path("display")
        with open(number, "w") as fd:
            self.xvfb = self.start(["Xvfb", "-displayfd", str(fd.fileno()), "-screen", "0", size + "x24",
                                    "-noreset", "-wr", "-nolisten", "tcp"],
                                   log=self.path("xvfb.log"), pass_fds=(fd.fileno(),))
        if not wait_until(lambda: read(number).endswith("\n"), 10, 0.05):
            sys.exit("Xvfb did not start at %s\n%s" % (size, read(self.path("xvfb.log"))))
        os.environ["DISPLAY"] = ":" + read(number).strip()
        self.screen = Screen(os.environ["DISPLAY"], self.on_lost)

    def start_xorg(self, monitors):
        """Xorg with the dummy driver at the size of the monitors side by
        side, split into them (the first the primary) and its root white."""
        self.stop_xvfb()
        sizes = [tuple(int(n) for n in size.split("x")) for size in monitors]
        width, height = sum(w for w, _ in sizes), max(h for _, h in sizes)
        config, number = self.path("xorg.conf"), self.path("display")
        os.makedirs(self.path("xorg.conf.d"), exist_ok=True)
        with open(config, "w") as f:
            f.write(xorg_config(width, height))
        with open(number, "w") as fd:
            self.xvfb = self.start(["Xorg", "-config", config, "-configdir", self.path("xorg.conf.d"),
                                    "-logfile", self.path("xorg.log"), "-noreset", "-nolisten", "tcp",
                                    "-novtswitch", "-displayfd", str(fd.fileno())],
                                   log=self.path("xorg.err"), pass_fds=(fd.fileno(),))
        if not wait_until(lambda: read(number).endswith("\n"), 10, 0.05):
            sys.exit("Xorg did not start at %dx%d\n%s" % (width, height, read(self.path("xorg.err"))))
        os.environ["DISPLAY"] = ":" + read(number).strip()
        lefts = [sum(w for w, _ in sizes[:i]) for i in range(len(sizes))]
        names = ["MONITOR%d" % i for i in range(len(sizes))]
        commands = [["xsetroot", "-solid", "white"]]
        def mm(px):  # at 96 dots per inch
            return (px * 254 + 480) // 960
        if len(sizes) > 1:
            # The others first: the one that takes the output becomes the primary.
            for i in reversed(range(len(sizes))):
                w, h = sizes[i]
                geometry = "%d/%dx%d/%d+%d+0" % (w, mm(w), h, mm(h), lefts[i])
                commands.append(["xrandr", "--setmonitor", names[i], geometry, "DUMMY0" if i == 0 else "none"])
        for command in commands:
            if subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode:
                sys.exit("could not make the desk: " + " ".join(command))
        self.screen = Screen(os.environ["DISPLAY"], self.on_lost)

    def stop_xvfb(self):
        if self.screen:
            self.screen.close()
            self.screen = None
        self.stop(self.xvfb)
        self.xvfb = None

    def start_pulse(self):
        def run(*command):
            return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
        self.start(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "-n",
                    "--use-pid-file=no", "--log-target=stderr",
                    "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + self.path("pulse/native"),
                    "-L", "module-null-sink sink_name=measure_sink",
                    "-L", "module-null-source source_name=measure_source"],
                   log=self.path("pulse.log"), env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
        wait_until(lambda: run("pactl", "info"), 10, 0.05)
        if not (run("pactl", "set-default-sink", "measure_sink") and
                run("pactl", "set-default-source", "measure_source")):
            sys.exit("the private PulseAudio server did not start\n" + read(self.path("pulse.log")))

    def make_music(self):
        """A chord whose loudness swells and falls twice a second, long enough
        for one measurement and its warm-up."""
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", self.path("music.wav"), "synth",
                        str(math.ceil(self.options.seconds) + 6), "sine", "220", "sine", "277", "sine", "330",
                        "tremolo", "2", "90", "vol", "0.8"], stderr=subprocess.DEVNULL)
        if not os.path.isfile(self.path("music.wav")) or not os.path.getsize(self.path("music.wav")):
            sys.exit("sox could not make the test music")

    def use_settings(self, settings):
        """The heaviest settings the dialog allows, or the defaults."""
        folder = os.path.join(os.environ["XDG_CONFIG_HOME"], "Gyrobloom")
        shutil.rmtree(folder, ignore_errors=True)
        if settings == "heavy":
            os.makedirs(folder)
            with open(os.path.join(folder, "Gyrobloom.ini"), "w") as f:
                f.write(HEAVY_SETTINGS)

    def measure(self, pid):
        """After a second's warm-up: (cpu %, peak MB, the X server's cpu %,
        wake-ups/s) over the measuring time. The X server's is what it spent
        drawing for the program, and reading the screen for nobody: nothing
        polls it meanwhile."""
        def ticks(pid):
            stat = read("/proc/%d/stat" % pid)
            return cpu_ticks(stat) if stat else None

        def switches(pid):
            tasks = "/proc/%d/task" % pid
            try:
                return context_switches(read(os.path.join(tasks, task, "status")) for task in os.listdir(tasks))
            except OSError:
                return None
        time.sleep(1)
        c0, x0, w0, t0 = ticks(pid), ticks(self.xvfb.pid), switches(pid), time.monotonic()
        time.sleep(self.options.seconds)
        c1, x1, w1, t1 = ticks(pid), ticks(self.xvfb.pid), switches(pid), time.monotonic()
        kb = re.search(r"^VmHWM:\s+(\d+)", read("/proc/%d/status" % pid), re.MULTILINE)
        if c0 is None or c1 is None or kb is None:
            return "-", "-", "-", "-"
        wakeups = "-" if w0 is None or w1 is None else "%.0f" % ((w1 - w0) / (t1 - t0))
        return (percent(c1 - c0, self.hz, t1 - t0), "%.1f" % (int(kb.group(1)) / 1024),
                percent((x1 or 0) - (x0 or 0), self.hz, t1 - t0), wakeups)

    def run_wayland(self, row):
        """One run of a Wayland row, by tools/wayland-cost.sh."""
        # A session of its own: none of the X rows' servers and settings.
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin")}
        done = subprocess.run([WAYLAND_COST, self.options.program, "%g" % self.options.seconds, str(row.scale)],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
        if not COST_LINE.search(done.stdout):
            sys.stderr.write("tools/wayland-cost.sh said:\n" + done.stdout + done.stderr)
        return cost_line(done.stdout)

    def run(self, row):
        """One run of a row: (cpu %, peak MB, steps/s, frames/s, the X server's cpu %, wake-ups/s)."""
        if row.program == "wayland":
            return self.run_wayland(row)
        if row.settings:
            self.use_settings(row.settings)
        if row.monitors:
            self.start_xorg(row.monitors)
        else:
            self.start_xvfb(row.size)
        music = self.start(["paplay", "--latency-msec=20", self.path("music.wav")]) if row.music else None
        log, env = self.path("program.log"), None
        if row.program == "saver":
            command, env = [self.options.program, "/s"], dict(os.environ, GYROBLOOM_STATS="1")
        elif row.program == "hack":
            command = [self.options.hack, "-root"]
        elif row.program == "qix":
            command = [QIX, "-root"]
        else:
            with open(self.path("cava.config"), "w") as f:
                f.write(CAVA_CONFIG)
            command = ["cava", "-p", self.path("cava.config")]
        program = self.start(command, log=log, env=env)
        if row.program in ("saver", "hack"):
            wait_until(self.screen.centre_is_black, 10)
        cpu, peak, xcpu, wakeups = self.measure(program.pid)
        if row.program == "saver":
            self.screen.press_space()
            wait_until(lambda: program.poll() is not None, 4, 0.02)
        self.stop(program)
        self.stop(music)
        if row.program == "hack" and read(log):
            sys.stderr.write("gyrobloom-hack said:\n" + read(log))
        steps, frames = steps_and_frames(read(log)) if row.program == "saver" else ("-", "-")
        return cpu, peak, steps, frames, xcpu, wakeups

    def latencies(self):
        """One run of the latencies on the current screen: {figure: ms}."""
        figures, log = {}, self.path("probe.log")
        player = Player()
        try:
            t0 = time.monotonic()
            saver = self.start([self.options.program, "/s"], log=log)
            figures["first_frame_ms"] = ms(t0, wait_until(self.screen.centre_is_black, 10))
            time.sleep(1.5)  # silence: the screen stays black
            # The screen watcher of the real tests reads the whole screen
            # through shared memory every few milliseconds; a plain XGetImage
            # of it takes tens of milliseconds, which would count in the figure.
            watch = subprocess.Popen([sys.executable, SCREEN_WATCH, "watch"], stdout=subprocess.PIPE, text=True)
            self.processes.append(watch)
            first, lit = watch.stdout.readline().split(), None
            if first and first[0] == "dark":
                give_up = threading.Timer(5, watch.kill)  # no light: the watcher ends, and its output
                give_up.daemon = True
                give_up.start()
                player.on = True
                for line in watch.stdout:
                    words = line.split()
                    if words and words[0] == "lit":
                        lit = int(words[1]) / 1000
                        break
                give_up.cancel()
            figures["onset_ms"] = ms(player.onset, lit)
            self.stop(watch)
        finally:
            player.stop()
        time.sleep(0.3)
        t2 = time.monotonic()
        self.screen.press_space()
        figures["key_exit_ms"] = ms(t2, wait_until(lambda: saver.poll() is not None, 5, 0.0005))
        self.stop(saver)

        saver = self.start([self.options.program, "/s"], log=log)
        wait_until(self.screen.centre_is_black, 10)
        time.sleep(0.5)
        t3 = time.monotonic()
        saver.send_signal(signal.SIGTERM)
        figures["term_exit_ms"] = ms(t3, wait_until(lambda: saver.poll() is not None, 5, 0.0005))
        self.stop(saver)
        return figures


# --- What the measurements need ----------------------------------------------

def xorg_config(width, height):
    """An Xorg configuration: the dummy driver with one output showing a mode
    of exactly that size, no input devices (XTest's remain). The blanking has
    a monitor's usual proportions (the driver refuses what looks like reduced
    blanking) and the pixel clock at most 297 MHz, whatever the refresh."""
    htotal, vtotal = width + width * 7 // 48, height + height // 24
    clock_khz = min(htotal * vtotal * 60 // 1000, 297000)
    return ('Section "ServerFlags"\n    Option "AutoAddDevices" "false"\n    Option "AutoAddGPU" "false"\nEndSection\n'
            'Section "Device"\n    Identifier "card"\n    Driver "dummy"\n    VideoRam 256000\nEndSection\n'
            'Section "Monitor"\n    Identifier "monitor"\n    HorizSync 1.0 - 1000.0\n    VertRefresh 1.0 - 200.0\n'
            '    Modeline "desk" %d.%03d %d %d %d %d %d %d %d %d\nEndSection\n'
            'Section "Screen"\n    Identifier "screen"\n    Device "card"\n    Monitor "monitor"\n    DefaultDepth 24\n'
            '    SubSection "Display"\n        Depth 24\n        Modes "desk"\n    EndSubSection\nEndSection\n'
            % (clock_khz // 1000, clock_khz % 1000, width, width + width * 11 // 240, width + width * 11 // 160, htotal,
               height, height + 4, height + 9, vtotal))


def dpkg_field(package, field):
    return subprocess.run(["dpkg-query", "-W", "-f=${%s}" % field, package],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout


def install_missing(packages):
    missing = [p for p in packages if "install ok installed" not in dpkg_field(p, "Status")]
    if not missing:
        return True
    print("Installing: " + " ".join(missing), file=sys.stderr)
    apt = ["flock", "/tmp/apt.lock"] + ([] if os.getuid() == 0 else ["sudo"])
    install = ["env", "DEBIAN_FRONTEND=noninteractive", "apt-get", "install", "-y", "-qq", "--no-install-recommends"]

    def run(command):
        return subprocess.run(apt + command, stdout=sys.stderr).returncode == 0
    return run(install + missing) or (run(["apt-get", "update", "-qq"]) and run(install + missing))


def missing_program(row, options):
    """Why a row cannot be measured here, or None."""
    if row.program == "qix" and not os.access(QIX, os.X_OK):
        return "no %s: qix left out" % QIX
    if row.program == "cava" and not shutil.which("cava"):
        return "no cava: left out"
    if row.program == "hack" and not os.access(options.hack, os.X_OK):
        return "no %s: hack left out" % options.hack
    if row.monitors and (os.getuid() != 0 or not shutil.which("Xorg")):
        return "Xorg runs only as root here: %s left out" % row.key
    if row.program == "wayland" and (os.getuid() != 0 or not shutil.which("sway")):
        return "sway runs here only as root, for a user of its own (tools/setup.sh installs it): %s left out" % row.key
    return None


def measure(session, options):
    """The table's rows and the latency sentence (None when not wanted)."""
    latency, rows = None, []
    if "latency" in options.only:
        session.use_settings("default")
        session.start_xvfb("1920x1080")
        runs = []
        for r in range(1, options.runs + 1):
            print("measuring the latencies, run %d of %d" % (r, options.runs), file=sys.stderr)
            runs.append(session.latencies())
        latency = latency_line(runs)
    for row in ROWS:
        if row.key not in options.only or (row.program in ("cava", "qix") and not options.peers):
            continue
        if missing_program(row, options):
            print(missing_program(row, options), file=sys.stderr)
            continue
        label = row.label.format(cava=dpkg_field("cava", "Version").split("-")[0])
        runs = []
        for r in range(1, options.runs + 1):
            print("measuring %s, run %d of %d" % (label, r, options.runs), file=sys.stderr)
            runs.append(session.run(row))
        rows.append(table_row(label, runs))
    session.stop_xvfb()
    return rows, latency


def main(argv):
    os.chdir(ROOT)
    options = parse_options(argv)
    if options.help:
        print(__doc__)
        return 0
    if not os.access(options.program, os.X_OK):
        print("measure.sh: no program at %s (build it: cmake --preset release && cmake --build --preset release)"
              % options.program, file=sys.stderr)
        return 2
    options.program = os.path.realpath(options.program)
    options.hack = options.hack or os.path.join(os.path.dirname(options.program), "app/hack/gyrobloom-hack")
    for key in set(options.only) - set(ROW_KEYS):
        print("measure.sh: no row %s" % key, file=sys.stderr)
    needed = ["xvfb", "pulseaudio", "pulseaudio-utils", "sox", "python3", "x11-utils"]
    needed += XORG_PACKAGES if any(key.startswith("xorg-") for key in options.only) else []
    if not install_missing(needed + (["cava", "xscreensaver-data-extra"] if options.peers else [])):
        print("measure.sh: some packages could not be installed", file=sys.stderr)

    def leave(*_):
        sys.exit(130)
    stops = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)
    for number in stops:
        signal.signal(number, leave)
    session = None
    try:
        session = Session(options)
        session.make_music()
        session.start_pulse()
        rows, latency = measure(session, options)
    finally:
        for number in stops:
            signal.signal(number, signal.SIG_IGN)
        if session:
            session.cleanup()
    print("\nMedians of %d runs, %g s each, %d cores, %s\n" % (options.runs, options.seconds,
          len(os.sched_getaffinity(0)), time.strftime("%Y-%m-%d", time.gmtime())))
    print(table(rows))
    if latency:
        print("\n" + latency)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
