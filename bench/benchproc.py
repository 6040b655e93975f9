"""Process helpers shared by the Python benchmarks: finding the vornik binary and
starting servers (Xvfb, dbus-daemon) that report their address on a descriptor."""

import os
import select
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def find_binary(given):
    for candidate in [given, os.path.join(ROOT, "build-release", "vornik"), os.path.join(ROOT, "build", "vornik"),
                      os.path.join(ROOT, "build-tests", "vornik")]:
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    sys.exit("no vornik binary found; build one or pass its path")


def read_line_from_fd(fd, timeout):
    """One line written to the pipe fd (Xvfb -displayfd, dbus --print-address)."""
    data = b""
    deadline = time.monotonic() + timeout
    while b"\n" not in data:
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([fd], [], [], remaining)[0]:
            break
        chunk = os.read(fd, 256)
        if not chunk:
            break
        data += chunk
    return data.decode().strip()


def start_with_fd_line(make_command, timeout=20, environment=None):
    """Starts make_command(fd) and reads the one line it writes to fd."""
    read_end, write_end = os.pipe()
    process = subprocess.Popen(make_command(write_end), pass_fds=(write_end,), env=environment,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    line = read_line_from_fd(read_end, timeout)
    os.close(read_end)
    return process, line


def stop(process):
    """Ends a helper process: SIGTERM, then SIGKILL if it has not gone within 5 s."""
    if process and process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
