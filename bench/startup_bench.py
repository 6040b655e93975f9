#!/usr/bin/env python3
"""Start-up time and idle memory of the vornik tray application.

Starts a private Xvfb with a tray host (trayer) and a private session bus, then
starts vornik several times and measures, for each start, the time from just before
the process is created to the line "vornik: tray ready at <epoch seconds>" that
vornik prints on stderr when VORNIK_STARTUP_TRACE=1. The last start is left idle
for five seconds and its resident memory is read from /proc.

Usage: bench/startup_bench.py [path/to/vornik] [--runs N] [--idle SECONDS] [--breakdown] [--reference PROGRAM]
The default binary is build-release/vornik (bash scripts/run.sh builds it), else
build/vornik.
"""
import argparse
import os
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from benchproc import find_binary, start_with_fd_line, stop

READY = re.compile(rb"tray ready at (\d+\.\d+)")


def wait_for_tray_host(environment, trayer, timeout=20):
    """The tray host is there once its window exists."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and trayer.poll() is None:
        found = subprocess.run(["xdotool", "search", "--classname", "trayer"], env=environment,
                               capture_output=True)
        if found.returncode == 0 and found.stdout.strip():
            return True
        time.sleep(0.05)
    return False


def memory_of(pid):
    figures = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "RssAnon", "RssFile", "VmHWM"):
                figures[key] = int(value.split()[0])
    try:
        with open(f"/proc/{pid}/smaps_rollup") as rollup:
            for line in rollup:
                if line.startswith("Pss:"):
                    figures["Pss"] = int(line.split()[1])
    except OSError:
        pass
    return figures


def breakdown_of(pid):
    """Resident kilobytes per mapped file (anonymous mappings under their bracket names)."""
    per_file = {}
    current = None
    with open(f"/proc/{pid}/smaps") as smaps:
        for line in smaps:
            fields = line.split()
            if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
                current = fields[5] if len(fields) > 5 else "[anonymous]"
            elif fields and fields[0] == "Rss:":
                per_file[current] = per_file.get(current, 0) + int(fields[1])
    return sorted(per_file.items(), key=lambda item: -item[1])


def start_vornik(binary, environment, timeout=20):
    """Starts vornik; returns (process, seconds from start to tray ready)."""
    started = time.time()
    process = subprocess.Popen([binary], env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    output = b""
    deadline = time.monotonic() + timeout
    while True:
        match = READY.search(output)
        if match:
            if b"no system tray" in output:
                sys.exit("vornik found no tray host; the figures would not be for a tray icon")
            return process, float(match.group(1)) - started
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([process.stderr], [], [], remaining)[0]:
            stop(process)
            sys.exit("vornik did not report a ready tray:\n" + output.decode(errors="replace"))
        chunk = os.read(process.stderr.fileno(), 4096)
        if not chunk:
            sys.exit("vornik ended early:\n" + output.decode(errors="replace"))
        output += chunk


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("binary", nargs="?")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--idle", type=float, default=5.0)
    parser.add_argument("--breakdown", action="store_true", help="also print resident memory per mapped file")
    parser.add_argument("--reference", help="a second program to measure the same way, such as bench's tray_floor")
    options = parser.parse_args()
    binary = find_binary(options.binary)
    for program in ("Xvfb", "trayer", "dbus-daemon", "xdotool"):
        if not shutil.which(program):
            sys.exit(f"{program} is needed (scripts/install-deps.sh installs it)")

    root = tempfile.mkdtemp(prefix="vornik-bench-")
    environment = dict(os.environ)
    for variable, folder in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                             ("XDG_RUNTIME_DIR", "runtime"), ("TMPDIR", "tmp"), ("HOME", "home")):
        path = os.path.join(root, folder)
        os.makedirs(path, mode=0o700)
        environment[variable] = path
    environment.pop("WAYLAND_DISPLAY", None)
    environment["QT_QPA_PLATFORM"] = "xcb"
    environment["VORNIK_STARTUP_TRACE"] = "1"

    helpers = []
    try:
        xvfb, display = start_with_fd_line(lambda fd: ["Xvfb", "-nolisten", "tcp", "-noreset", "-screen", "0",
                                                       "1920x1080x24", "-displayfd", str(fd)])
        helpers.append(xvfb)
        bus, address = start_with_fd_line(lambda fd: ["dbus-daemon", "--session", "--nofork",
                                                      f"--print-address={fd}"])
        helpers.append(bus)
        if not display or not address:
            sys.exit("could not start Xvfb or the session bus")
        environment["DISPLAY"] = ":" + display
        environment["DBUS_SESSION_BUS_ADDRESS"] = address
        trayer = subprocess.Popen(["trayer", "--expand", "true"], env=environment, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        helpers.append(trayer)
        if not wait_for_tray_host(environment, trayer):
            sys.exit("the tray host (trayer) did not come up")

        results = [measure(binary, environment, options)]
        if options.reference:
            results.append(measure(options.reference, environment, options))
    finally:
        for helper in reversed(helpers):
            stop(helper)
        shutil.rmtree(root, ignore_errors=True)

    for name, startups, memory, breakdown in results:
        report(name, startups, memory, breakdown, options)
    if len(results) == 2:
        own = results[0][2].get("VmRSS", 0) - results[1][2].get("VmRSS", 0)
        print(f"vornik's own share of idle RSS over the reference: {own / 1024:.1f} MB")


def measure(binary, environment, options):
    """Starts `binary` options.runs times; the last start idles, then its memory is read."""
    startups = []
    for run in range(options.runs):
        process, seconds = start_vornik(binary, environment)
        startups.append(seconds * 1000)
        if run < options.runs - 1:
            stop(process)
    time.sleep(options.idle)
    memory = memory_of(process.pid)
    breakdown = breakdown_of(process.pid) if options.breakdown else []
    stop(process)
    return binary, startups, memory, breakdown


def report(binary, startups, memory, breakdown, options):
    print(f"binary: {binary}")
    print(f"start to tray ready over {len(startups)} starts: median {statistics.median(startups):.1f} ms, "
          f"min {min(startups):.1f} ms, max {max(startups):.1f} ms (first {startups[0]:.1f} ms)")
    print(f"after {options.idle:.0f} s idle: RSS {memory.get('VmRSS', 0) / 1024:.1f} MB "
          f"(anonymous {memory.get('RssAnon', 0) / 1024:.1f} MB, file-backed {memory.get('RssFile', 0) / 1024:.1f} MB), "
          f"PSS {memory.get('Pss', 0) / 1024:.1f} MB, peak RSS {memory.get('VmHWM', 0) / 1024:.1f} MB")
    for name, kilobytes in breakdown:
        if kilobytes:
            print(f"  {kilobytes:7d} kB  {name}")


if __name__ == "__main__":
    main()
