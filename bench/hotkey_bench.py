#!/usr/bin/python3
"""Hot key to overlay on screen, measured from outside, beside `flameshot gui`.

Starts its own Xvfb (one 1920 x 1080 display, or three side by side cut into RandR
monitors the way the tests' harness does), a private session bus and openbox, then
Vornik and the flameshot daemon. Each round presses Vornik's hot key (Ctrl+Shift+9)
with XTest from this process, the key events sent together, and records from the
moment the key release is sent:
  - mapped:  the MapNotify of every overlay (root's SubstructureNotify);
  - painted: the first drawing (DAMAGE) over a probe pixel of each display after its
             overlay is mapped, whose pixel read back equals the frozen picture's.
The rounds alternate with `flameshot gui` timed from its start to its overlay mapped
(and first drawn), with its daemon already running. Escape closes both overlays.

Usage: bench/hotkey_bench.py [path/to/vornik] [--rounds N] [--displays 1|3|both] [--no-peer]
Needs Xvfb, xrandr, openbox, dbus-daemon, python3-xlib and (for the peer) flameshot.
Runs under /usr/bin/python3, where Debian's python3-xlib lives.
"""
import argparse
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from benchproc import find_binary, start_with_fd_line, stop

from Xlib import X, XK, display as xdisplay
from Xlib.ext import damage, xtest

WIDTH, HEIGHT = 1920, 1080
PROBE = (777, 555)  # inside each display, clear of panels and buttons


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.02)
    raise RuntimeError(f"timed out waiting for {what}")


BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><keep_umask/><listen>unix:dir={runtime}</listen><auth>EXTERNAL</auth>
<servicedir>{services}</servicedir>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>
"""


class Session:
    """Xvfb, a private bus and openbox, with folders of its own."""

    def __init__(self, displays):
        self.helpers = []
        self.root = tempfile.mkdtemp(prefix="vornik-hotkey-bench-")
        self.environment = dict(os.environ)
        for variable, folder in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                                 ("XDG_CACHE_HOME", "cache"), ("XDG_RUNTIME_DIR", "runtime"), ("TMPDIR", "tmp"),
                                 ("HOME", "home"), ("services", "services")):
            path = os.path.join(self.root, folder)
            os.makedirs(path, mode=0o700)
            self.environment[variable] = path
        del self.environment["services"]
        self.environment.pop("WAYLAND_DISPLAY", None)
        self.environment["QT_QPA_PLATFORM"] = "xcb"
        size = f"{WIDTH * displays}x{HEIGHT}x24"
        xvfb, number = start_with_fd_line(lambda fd: ["Xvfb", "-displayfd", str(fd), "-nolisten", "tcp", "-noreset",
                                                      "-screen", "0", size])
        self.helpers.append(xvfb)
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.environment["DISPLAY"] = ":" + number
        config = os.path.join(self.root, "bus.conf")
        with open(config, "w") as out:
            out.write(BUS_CONFIG.format(runtime=self.environment["XDG_RUNTIME_DIR"],
                                        services=os.path.join(self.root, "services")))
        bus, address = start_with_fd_line(lambda fd: ["dbus-daemon", f"--config-file={config}", "--nofork",
                                                      f"--print-address={fd}"])
        self.helpers.append(bus)
        if not address:
            raise RuntimeError("the session bus did not start")
        self.environment["DBUS_SESSION_BUS_ADDRESS"] = address
        for i in range(displays if displays > 1 else 0):
            geometry = f"{WIDTH}/{WIDTH * 254 // 960}x{HEIGHT}/{HEIGHT * 254 // 960}+{WIDTH * i}+0"
            subprocess.run(["xrandr", "--setmonitor", "ABC"[i], geometry, "screen" if i == 0 else "none"],
                           env=self.environment, check=True, capture_output=True)
        self.x = xdisplay.Display(self.environment["DISPLAY"])
        self.start_window_manager()

    def start(self, command, **options):
        process = subprocess.Popen(command, env=self.environment, stdout=subprocess.DEVNULL,
                                   stderr=options.get("stderr", subprocess.DEVNULL))
        self.helpers.append(process)
        return process

    def start_window_manager(self):
        self.start(["openbox", "--sm-disable"])
        check = self.x.intern_atom("_NET_SUPPORTING_WM_CHECK")
        root = self.x.screen().root
        wait_until(lambda: root.get_full_property(check, X.AnyPropertyType) is not None, 20, "openbox")

    def close(self):
        for helper in reversed(self.helpers):
            stop(helper)
        shutil.rmtree(self.root, ignore_errors=True)


class Watcher:
    """Root's window events, drawing over the probe pixels and the pixels themselves."""

    def __init__(self, x, displays):
        self.x = x
        self.root = x.screen().root
        self.probes = [(WIDTH * i + PROBE[0], PROBE[1]) for i in range(displays)]
        self.x.damage_query_version()
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.damage = self.root.damage_create(damage.DamageReportRawRectangles)
        self.damage_event = self.x.extension_event.DamageNotify
        self.geometry = {}
        self.mapped = set()
        for child in self.root.query_tree().children:
            g = child.get_geometry()
            self.geometry[child.id] = (g.x, g.y, g.width, g.height)
            if child.get_attributes().map_state == X.IsViewable:
                self.mapped.add(child.id)
        self.x.sync()

    def pixel(self, point):
        return bytes(self.root.get_image(point[0], point[1], 1, 1, X.ZPixmap, 0xFFFFFFFF).data)[:3]

    def events(self, timeout):
        """Yields (time, event) until timeout seconds pass without the caller stopping."""
        deadline = time.perf_counter() + timeout
        while True:
            while self.x.pending_events():
                event = self.x.next_event()
                now = time.perf_counter()
                self.track(event)
                yield now, event
            remaining = deadline - time.perf_counter()
            if remaining <= 0:
                return
            select.select([self.x.fileno()], [], [], remaining)

    def track(self, event):
        if event.type in (X.CreateNotify, X.ConfigureNotify):
            self.geometry[event.window.id] = (event.x, event.y, event.width, event.height)
        elif event.type == X.MapNotify:
            self.mapped.add(event.window.id)
        elif event.type in (X.UnmapNotify, X.DestroyNotify):
            self.mapped.discard(event.window.id)

    def covered_probes(self, window_id):
        x, y, width, height = self.geometry.get(window_id, (0, 0, 0, 0))
        return [i for i, (px, py) in enumerate(self.probes)
                if width >= WIDTH // 2 and x <= px < x + width and y <= py < y + height]

    def overlay_up(self, started, expected, timeout=10):
        """Times from `started` to every probe under a mapped big window and to its first
        drawing that reads back as `expected` (None: any drawing)."""
        mapped = [None] * len(self.probes)
        painted = [None] * len(self.probes)
        for now, event in self.events(timeout):
            if event.type == X.MapNotify:
                for i in self.covered_probes(event.window.id):
                    mapped[i] = mapped[i] or now
            elif event.type == self.damage_event:
                area = event.area
                for i, (px, py) in enumerate(self.probes):
                    if mapped[i] and not painted[i] and area.x <= px < area.x + area.width \
                            and area.y <= py < area.y + area.height:
                        if expected is None or self.pixel((px, py)) == expected[i]:
                            painted[i] = now
            if all(painted):
                break
        if not all(mapped):
            raise RuntimeError("an overlay did not map")
        return (max(mapped) - started) * 1000, (max(painted) - started) * 1000 if all(painted) else float("nan")

    def overlays_gone(self, windows_before, timeout=10):
        for _ in self.events(timeout):
            if not any(self.covered_probes(w) for w in self.mapped - windows_before):
                return
        left = [(hex(w), self.geometry.get(w), self.x.create_resource_object("window", w).get_wm_class())
                for w in self.mapped - windows_before]
        focus = self.x.get_input_focus().focus
        left.append(("focus", focus if isinstance(focus, int) else hex(focus.id)))
        raise RuntimeError(f"an overlay did not close: {left}")


class Keys:
    def __init__(self, x):
        self.x = x
        self.code = {name: x.keysym_to_keycode(XK.string_to_keysym(name))
                     for name in ("Control_L", "Shift_L", "9", "Escape")}

    def press(self, *names):
        """Presses the keys in order and releases them in reverse, all in one write; the
        time just before the write."""
        for name in names:
            xtest.fake_input(self.x, X.KeyPress, self.code[name])
        for name in reversed(names):
            xtest.fake_input(self.x, X.KeyRelease, self.code[name])
        now = time.perf_counter()
        self.x.flush()
        return now


def wait_for_vornik(process):
    output = b""
    deadline = time.monotonic() + 20
    while b"tray ready" not in output:
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([process.stderr], [], [], remaining)[0]:
            raise RuntimeError("vornik did not start:\n" + output.decode(errors="replace"))
        chunk = os.read(process.stderr.fileno(), 4096)
        if not chunk:
            raise RuntimeError("vornik ended:\n" + output.decode(errors="replace"))
        output += chunk


def start_flameshot(session):
    folder = os.path.join(session.environment["XDG_CONFIG_HOME"], "flameshot")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "flameshot.ini"), "w") as out:
        out.write("[General]\nshowStartupLaunchMessage=false\nshowHelp=false\ndisabledTrayIcon=true\n"
                  "showDesktopNotification=false\ncheckForUpdates=false\nshowSidePanelButton=false\n")
    session.start(["flameshot"])

    def registered():
        names = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"],
                               env=session.environment, capture_output=True, text=True).stdout
        return "flameshot" in names.lower()
    wait_until(registered, 40, "the flameshot daemon")


class Trace:
    """Vornik's own steps (VORNIK_CAPTURE_TRACE=1 on its stderr), on the same clock."""

    def __init__(self, process):
        self.stream = process.stderr.fileno()
        os.set_blocking(self.stream, False)
        self.pending = b""
        self.steps = {}  # step -> offsets in ms, one per round

    def read(self):
        try:
            while chunk := os.read(self.stream, 65536):
                self.pending += chunk
        except BlockingIOError:
            pass

    def wait_for(self, step, timeout=2):
        """Until Vornik reports `step` (older builds that never do: the timeout)."""
        deadline = time.monotonic() + timeout
        marker = f"vornik-trace {step} ".encode()
        while marker not in self.pending and time.monotonic() < deadline:
            select.select([self.stream], [], [], deadline - time.monotonic())
            self.read()

    def collect(self, started):
        self.read()
        lines = self.pending.split(b"\n")
        self.pending = lines.pop()
        seen = set()
        for line in lines:
            fields = line.decode(errors="replace").split()
            if len(fields) == 3 and fields[0] == "vornik-trace" and fields[1] not in seen:
                seen.add(fields[1])
                self.steps.setdefault(fields[1], []).append((float(fields[2]) - started) * 1000)

    def report(self):
        if self.steps:
            print("  vornik's steps after the key release was sent (median ms, first occurrence per round):")
        for step, offsets in sorted(self.steps.items(), key=lambda item: statistics.median(item[1])):
            print(f"    {step:14s} {statistics.median(offsets):6.1f}")


def vornik_round(watcher, keys, expected, trace=None):
    before = set(watcher.mapped)
    started = keys.press("Control_L", "Shift_L", "9")
    figures = watcher.overlay_up(started, expected)
    # No one presses Escape within a millisecond of the overlay: wait, untimed, until
    # the overlay holds the keyboard.
    if trace:
        trace.wait_for("keyboard")
    keys.press("Escape")
    watcher.overlays_gone(before)
    if trace:
        trace.collect(started)
    return figures


def flameshot_round(session, watcher, keys):
    before = set(watcher.mapped)
    started = time.perf_counter()
    client = subprocess.Popen(["flameshot", "gui"], env=session.environment, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    try:
        figures = watcher.overlay_up(started, None)
        keys.press("Escape")
        watcher.overlays_gone(before)
        client.wait(10)
        return figures
    except (RuntimeError, subprocess.TimeoutExpired) as problem:
        print(f"  flameshot round failed ({problem}); left out", file=sys.stderr)
        stop(client)
        return None


def summary(values):
    ordered = sorted(values)
    p90 = ordered[min(len(ordered) - 1, round(0.9 * (len(ordered) - 1)))]
    return statistics.median(ordered), p90


def run(binary, displays, rounds, with_peer):
    session = Session(displays)
    try:
        watcher = Watcher(session.x, displays)
        keys = Keys(session.x)
        expected = [watcher.pixel(point) for point in watcher.probes]
        environment = dict(session.environment, VORNIK_STARTUP_TRACE="1", VORNIK_CAPTURE_TRACE="1")
        vornik = subprocess.Popen([binary], env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        session.helpers.append(vornik)
        wait_for_vornik(vornik)
        if with_peer:
            start_flameshot(session)
        results = {"vornik": [], "flameshot": []}
        trace = Trace(vornik)
        first = {"vornik": vornik_round(watcher, keys, expected, trace)}
        trace.steps.clear()
        if with_peer:
            first["flameshot"] = flameshot_round(session, watcher, keys) or (float("nan"),) * 2
        for _ in range(rounds):
            results["vornik"].append(vornik_round(watcher, keys, expected, trace))
            if with_peer:
                figures = flameshot_round(session, watcher, keys)
                if figures:
                    results["flameshot"].append(figures)
        return first, results, trace
    finally:
        session.close()


def report(displays, first, results):
    print(f"{displays} display(s) of {WIDTH} x {HEIGHT}, {len(results['vornik'])} alternating rounds"
          f" (first capture after start shown apart)")
    medians = {}
    for name in ("vornik", "flameshot"):
        if not results[name]:
            continue
        what = "hot key release" if name == "vornik" else "`flameshot gui` start"
        for column, label in ((0, "mapped"), (1, "mapped and painted")):
            values = [figures[column] for figures in results[name]]
            median, p90 = summary(values)
            medians[(name, column)] = median
            print(f"  {name:9s} {what} -> overlay {label}: median {median:6.1f} ms, p90 {p90:6.1f} ms "
                  f"(first {first[name][column]:.1f} ms)")
    if ("flameshot", 0) in medians:
        ratio = medians[("vornik", 1)] / medians[("flameshot", 0)]
        print(f"  ratio vornik painted / flameshot mapped (medians): {ratio:.3f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("binary", nargs="?")
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--displays", choices=("1", "3", "both"), default="both")
    parser.add_argument("--no-peer", action="store_true", help="Vornik alone")
    options = parser.parse_args()
    binary = find_binary(options.binary)
    with_peer = not options.no_peer and shutil.which("flameshot") is not None
    if not options.no_peer and not with_peer:
        print("flameshot is not installed: Vornik's figures only")
    for program in ("Xvfb", "xrandr", "openbox", "dbus-daemon", "dbus-send"):
        if not shutil.which(program):
            sys.exit(f"{program} is needed (scripts/install-deps.sh installs it)")
    for displays in ((1, 3) if options.displays == "both" else (int(options.displays),)):
        first, results, trace = run(binary, displays, options.rounds, with_peer)
        report(displays, first, results)
        trace.report()


if __name__ == "__main__":
    main()
