"""Driving the real Querlan program on an X display (run the scripts under xvfb-run).

A Session starts the program in a fresh start directory whose COM1 leads to the device
simulator, so the program never opens the machine's own serial port. Windows are found by
their captions and driven with xdotool; screenshots are taken with ImageMagick. Every wait
is for a condition, with a patience far beyond what a working program needs.
"""

import argparse
import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MAIN_CAPTION = "QUERLAN - Speichert die Daten einer RS232 - Version 1.1"
# How long to wait for the program to react before calling a check failed. Nothing is
# measured: a working program answers in a fraction of this.
PATIENCE_SECONDS = 20


class CheckFailed(Exception):
    pass


def xdotool(*args):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else ""


def wait_for(what, condition, patience=PATIENCE_SECONDS):
    deadline = time.monotonic() + patience
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise CheckFailed("gave up waiting: " + what)
        time.sleep(0.1)


def geometry(window):
    shell_lines = xdotool("getwindowgeometry", "--shell", window).split()
    fields = dict(line.split("=", 1) for line in shell_lines)
    return int(fields.get("WIDTH", 0)), int(fields.get("HEIGHT", 0))


def visible_window(caption):
    """The visible window with exactly this caption. wx also maps small helper windows that
    carry the program's name, so tiny windows are skipped."""
    for window in xdotool("search", "--onlyvisible", "--name", caption).split():
        if xdotool("getwindowname", window) == caption and min(geometry(window)) > 10:
            return window
    return None


def wait_closed(caption):
    wait_for(caption + " to close", lambda: visible_window(caption) is None)


def press(window, keys):
    """Types keys, as xdotool names them and separated by spaces, into a window."""
    xdotool("windowfocus", "--sync", window)
    xdotool("key", "--clearmodifiers", *keys.split())


def click(window, x, y):
    xdotool("mousemove", "--window", window, str(x), str(y))
    xdotool("click", "1")


def resize(window, width, height):
    xdotool("windowsize", "--sync", window, str(width), str(height))
    wait_for(f"size {width}x{height}", lambda: geometry(window) == (width, height))


def screenshot(window, path):
    """Takes shots until two in a row agree, so the picture shows a finished drawing."""
    previous = None

    def steady():
        nonlocal previous
        subprocess.run(["import", "-window", window, path], check=True)
        with open(path, "rb") as shot:
            current = shot.read()
        same, previous = current == previous, current
        return same

    wait_for("a steady picture of " + path, steady)


def counting_answer(count):
    """The recording of the device's "count" answer of count bytes: 0, 1, ..., 255, 0, 1, ...,
    each value a decimal line ending in CR LF."""
    return b"".join(b"%d\r\n" % (index % 256) for index in range(count))


def expect_content(what, content, expected):
    if content != expected:
        at = next((i for i, pair in enumerate(zip(content, expected)) if pair[0] != pair[1]),
                  min(len(content), len(expected)))
        raise CheckFailed(f"{what}: {len(content)} bytes instead of {len(expected)}, first "
                          f"difference at byte {at}: {content[max(at - 8, 0):at + 8]!r}")


def end_with_parent():
    """Runs in the child before the program starts: a test killed outright still takes the
    program with it."""
    prctl_set_parent_death_signal = 1
    ctypes.CDLL(None, use_errno=True).prctl(prctl_set_parent_death_signal, signal.SIGKILL)


class Session:
    """One start directory, the device simulator on its COM1 and the program in it. Leaving
    the session ends both processes; after a failure the start directory is copied into the
    artefacts folder beside the screenshots."""

    def __init__(self, program, devsim, artefacts):
        self.program, self.devsim, self.artefacts = program, devsim, artefacts
        self.start_dir = tempfile.mkdtemp(prefix="querlan-e2e-")
        self.device_process = self.program_process = None

    def __enter__(self):
        return self

    def __exit__(self, failure_type, *failure):
        self.end_program()
        self.stop_device()
        if failure_type is not None:
            kept = os.path.join(self.artefacts, "start-dir-after-failure")
            shutil.rmtree(kept, ignore_errors=True)
            shutil.copytree(self.start_dir, kept, symlinks=True)
        shutil.rmtree(self.start_dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.start_dir, name)

    def link_com1(self, *device_options):
        """COM1 in the start directory leads to the device simulator's pseudo-terminal, so the
        program never opens the machine's own serial port. The simulator's lines ("request N",
        "sent N") go to devsim.log in the start directory."""
        ready = self.path(".devsim-ready")
        with open(self.path("devsim.log"), "wb") as log:
            self.device_process = subprocess.Popen(
                [self.devsim, "--link", self.path("COM1"), "--ready-file", ready, *device_options],
                stdout=log)
        wait_for("the device simulator", lambda: os.path.exists(ready))

    def device_log(self):
        with open(self.path("devsim.log"), encoding="ascii") as log:
            return log.read()

    def device_said(self, pattern):
        """The simulator's lines (or groups) that match a regular expression."""
        return re.findall(pattern, self.device_log(), re.MULTILINE)

    def requests_seen(self):
        return len(self.device_said(r"^request \d+$"))

    def wait_for_answer(self, request, answer_bytes):
        """The device has seen this request byte and sent its whole answer."""
        wait_for(f"request {request} at the device", lambda: self.requests_seen() >= request)
        sent = answer_bytes * request
        wait_for(f"answer {request} sent", lambda: self.device_said(f"^sent {sent}$"))

    def stop_device(self):
        """Ends the device simulator, which then removes its link and writes its "done" line."""
        if self.device_process is not None and self.device_process.poll() is None:
            self.device_process.terminate()
            try:
                self.device_process.wait(timeout=PATIENCE_SECONDS)
            except subprocess.TimeoutExpired:
                self.device_process.kill()
                self.device_process.wait()

    def write_settings(self, lines):
        """Setup.txt as the program writes it: every line followed by CR LF."""
        with open(self.path("Setup.txt"), "wb") as settings:
            settings.write(b"".join(line.encode() + b"\r\n" for line in lines))

    def start(self, *arguments, **environment):
        """Starts the program with the given command line arguments and variables added to
        its environment."""
        if not os.path.islink(self.path("COM1")):
            raise CheckFailed("COM1 must lead to the device simulator before the program starts")
        self.program_process = subprocess.Popen(
            [self.program, *arguments], cwd=self.start_dir, preexec_fn=end_with_parent,
            env={**os.environ, **environment})
        return wait_for("the main window", lambda: visible_window(MAIN_CAPTION))

    def start_with_settings(self, settings, **environment):
        """Writes Setup.txt, starts the program and returns its window once the deferred
        start-up has run: the window has the size from Setup.txt, and keys pressed from then on
        reach a program whose port is open."""
        self.write_settings(settings)
        main = self.start(**environment)
        size = (int(settings[2]), int(settings[3]))
        wait_for("the settings applied", lambda: geometry(main) == size)
        return main

    def end_program(self):
        if self.program_process is not None and self.program_process.poll() is None:
            self.program_process.kill()
            self.program_process.wait()

    def quit(self, main):
        """Quits with "&Beenden", which saves the settings, and expects a clean exit."""
        press(main, "alt+b")
        if self.program_process.wait(timeout=PATIENCE_SECONDS) != 0:
            raise CheckFailed(f"exit code {self.program_process.returncode}")

    def shot(self, window, name):
        width, height = geometry(window)
        screenshot(window, os.path.join(self.artefacts, f"{name}-{width}x{height}.png"))

    def confirm_box(self, caption, name):
        """Waits for the message box with this caption, keeps a screenshot of it and closes it
        with Enter."""
        box = wait_for(f'the box "{caption}"', lambda: visible_window(caption))
        self.shot(box, name)
        press(box, "Return")
        wait_closed(caption)


def run_checks(description, *checks):
    """The command line the scripts share; runs each check(session) in a session of its own
    and exits non-zero on the first failed check, with both processes ended."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--program", required=True)
    parser.add_argument("--devsim", required=True)
    parser.add_argument("--shots", required=True, help="folder for screenshots and artefacts")
    arguments = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("needs an X display: run it under xvfb-run")
    # A test runner's SIGTERM unwinds the session, so no process outlives the script.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAILED: terminated"))
    shutil.rmtree(arguments.shots, ignore_errors=True)  # no picture from an earlier run
    os.makedirs(arguments.shots)
    try:
        program, devsim = os.path.abspath(arguments.program), os.path.abspath(arguments.devsim)
        for check in checks:
            with Session(program, devsim, arguments.shots) as session:
                check(session)
    except (CheckFailed, subprocess.TimeoutExpired) as failure:
        print("FAILED:", failure, file=sys.stderr)
        sys.exit(1)
    return arguments.shots
