#!/usr/bin/env python3
"""The real Querlan program on an X display (run it under xvfb-run).

Starts the program in a fresh start directory whose COM1 is the device simulator (never a
real serial port), checks the main window's caption, opens the setup dialog by its
accelerator and closes it with OK (Enter), changes the baud rate and confirms the restart
message, closes it again with "Abbrechen" (a click), resizes both windows to their design
sizes and quits with "&Beenden", which saves the settings. A screenshot of each window at each
size is kept in the screenshots folder. Exits non-zero on the first failed check.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

MAIN_CAPTION = "QUERLAN - Speichert die Daten einer RS232 - Version 1.1"
SETUP_CAPTION = "Setup"
# How long to wait for the program to react before calling a check failed. Nothing is
# measured: a working program answers in a fraction of this.
PATIENCE_SECONDS = 20


class CheckFailed(Exception):
    pass


def xdotool(*args):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else ""


def wait_for(what, condition):
    deadline = time.monotonic() + PATIENCE_SECONDS
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    raise CheckFailed("gave up waiting: " + what)


def geometry(window):
    fields = dict(line.split("=", 1) for line in xdotool("getwindowgeometry", "--shell", window).split())
    return int(fields.get("WIDTH", 0)), int(fields.get("HEIGHT", 0))


def visible_window(caption):
    """The visible window with exactly this caption. wx also maps small helper windows that
    carry the program's name, so tiny windows are skipped."""
    for window in xdotool("search", "--onlyvisible", "--name", caption).split():
        if xdotool("getwindowname", window) == caption and min(geometry(window)) > 10:
            return window
    return None


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


class Session:
    def __init__(self, program, devsim, shots):
        self.program, self.devsim, self.shots = program, devsim, shots
        self.start_dir = tempfile.mkdtemp(prefix="querlan-e2e-")
        self.processes = []

    def __enter__(self):
        return self

    def __exit__(self, *failure):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(self.start_dir, ignore_errors=True)

    def link_com1(self):
        """COM1 in the start directory leads to the device simulator's pseudo-terminal, so the
        program never opens the machine's own serial port."""
        ready = os.path.join(self.start_dir, ".devsim-ready")
        com1 = os.path.join(self.start_dir, "COM1")
        self.processes.append(subprocess.Popen(
            [self.devsim, "--link", com1, "--ready-file", ready, "--quiet"]))
        wait_for("the device simulator", lambda: os.path.exists(ready))

    def start(self):
        self.program_process = subprocess.Popen([self.program], cwd=self.start_dir)
        self.processes.append(self.program_process)
        return wait_for("the main window", lambda: visible_window(MAIN_CAPTION))

    def shot(self, window, name):
        width, height = geometry(window)
        screenshot(window, os.path.join(self.shots, f"{name}-{width}x{height}.png"))


def open_setup(main):
    press(main, "alt+s")
    return wait_for("the setup dialog", lambda: visible_window(SETUP_CAPTION))


def wait_closed(caption):
    wait_for(caption + " to close", lambda: visible_window(caption) is None)


def click_setup_control(setup, row, share):
    """Clicks a control of the setup dialog where its layout puts it: at the given row of 20,
    a share of the width in from the left."""
    width, height = geometry(setup)
    click(setup, int(width * share), height * row // 20 + 10)


def run(session):
    session.link_com1()
    main = session.start()
    if xdotool("getwindowname", main) != MAIN_CAPTION:
        raise CheckFailed("main window caption")
    session.shot(main, "main")

    setup = open_setup(main)
    session.shot(setup, "setup")
    press(setup, "Return")  # OK, the default button; nothing changed, so no message
    wait_closed(SETUP_CAPTION)

    setup = open_setup(main)
    resize(setup, 491, 239)
    session.shot(setup, "setup")
    click_setup_control(setup, 8, 0.25)  # the baud rate
    press(setup, "ctrl+a 1 9 2 0 0 Return")
    message = wait_for("the restart message", lambda: visible_window("Information"))
    session.shot(message, "restart-message")
    press(message, "Return")
    wait_closed("Information")
    wait_closed(SETUP_CAPTION)

    setup = open_setup(main)
    click_setup_control(setup, 17, 0.75)  # "Abbrechen"
    wait_closed(SETUP_CAPTION)

    resize(main, 696, 480)
    session.shot(main, "main")
    press(main, "alt+b")
    if session.program_process.wait(timeout=PATIENCE_SECONDS) != 0:
        raise CheckFailed("exit code")
    check_settings(session.start_dir)


def check_settings(start_dir):
    """Quitting saved the settings: the main window's last size and the new baud rate."""
    with open(os.path.join(start_dir, "Setup.txt"), "rb") as settings:
        lines = settings.read().split(b"\r\n")
    if len(lines) != 13 or lines[2:4] != [b"696", b"480"] or lines[9] != b"19200":
        raise CheckFailed(f"Setup.txt after quitting: {lines}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--devsim", required=True)
    parser.add_argument("--shots", required=True)
    arguments = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("needs an X display: run it under xvfb-run")
    os.makedirs(arguments.shots, exist_ok=True)
    with Session(arguments.program, arguments.devsim, arguments.shots) as session:
        try:
            run(session)
        except (CheckFailed, subprocess.TimeoutExpired) as failure:
            print("FAILED:", failure, file=sys.stderr)
            sys.exit(1)
    print("real windows: all checks passed; screenshots in", arguments.shots)


if __name__ == "__main__":
    main()
