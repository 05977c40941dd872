#!/usr/bin/env python3
"""Saves that fail or stall, with the real Querlan program on an X display (run it under
xvfb-run). The device simulator on COM1 answers every request byte with 0, 1, ..., 255, 0, 1,
... (30000 bytes, about 110 KB of text); each check starts the program afresh.

1. The destination's folder is removed while a recording runs. At the stop the error box
   comes first; once it is confirmed, the recording is saved in the start directory under the
   destination's name with the recording's start time, and a box "Information" says so.
2. The destination is a FIFO that the test reads only once the save has filled it, so the
   save holds the window. A click on "Daten holen" and an Enter made meanwhile start nothing:
   the FIFO receives the recording once, the device sees no second request, and the window is
   idle afterwards (a click on the same spot starts a recording as usual).
Screenshots of both boxes and of the window after the stalled save are kept.
"""

import fcntl
import os
import re
import select
import shutil
import struct
import termios
import time

from desktop import (CheckFailed, PATIENCE_SECONDS, click, counting_answer, expect_content,
                     geometry, press, run_checks, visible_window, wait_closed, wait_for)

ANSWER_BYTES = 30000
RECORDING_SECONDS = 30  # never reached: every recording here is stopped by Enter
BOUNDS = ["40", "30", "860", "420", "300", "200", "491", "239"]
FALLBACK_NAME = re.compile(r"log_(\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d)\.txt")


def settings(destination):
    return BOUNDS + ["0", "57600", str(RECORDING_SECONDS), destination]


def start_program(session, destination):
    session.link_com1("--pattern", "count", "--bytes", str(ANSWER_BYTES))
    return session.start_with_settings(settings(destination))


def fallback_files(session):
    return [name for name in os.listdir(session.start_dir) if FALLBACK_NAME.fullmatch(name)]


def folder_removed(session):
    os.mkdir(session.path("Messungen"))
    main = start_program(session, "Messungen/log.txt")
    before = int(time.time())
    press(main, "alt+d")
    session.wait_for_answer(1, ANSWER_BYTES)
    shutil.rmtree(session.path("Messungen"))
    press(main, "Return")  # "Abbrechen"

    wait_for("the error box", lambda: visible_window("Querlan"))
    if fallback_files(session) or visible_window("Information"):
        raise CheckFailed("the recording was saved elsewhere before the error box was confirmed")
    session.confirm_box("Querlan", "1-error")
    wait_for("the box Information", lambda: visible_window("Information"))
    saved = fallback_files(session)
    if len(saved) != 1:
        raise CheckFailed(f"fallback files in the start directory: {saved}")
    session.confirm_box("Information", "2-information")

    # Named after the local time the recording started, to the second.
    started = time.mktime(time.strptime(FALLBACK_NAME.fullmatch(saved[0])[1], "%Y-%m-%d_%H-%M-%S"))
    if not before <= started <= time.time():
        raise CheckFailed(f"{saved[0]} does not name the time the recording started")
    with open(session.path(saved[0]), "rb") as recording:
        expect_content(saved[0], recording.read(), counting_answer(ANSWER_BYTES))
    if os.path.exists(session.path("Messungen")):
        raise CheckFailed("the save made the removed folder again")


def holen_button(main):
    """Where "Daten holen" (and, while recording, "Abbrechen") is: the middle of the first of
    four columns in the 16th of 19 rows, as the main window's layout places it."""
    width, height = geometry(main)
    row = height // 19
    return 10 + ((width - 10) // 4 - 10) // 2, height * 16 // 19 + row * 5 // 4


def pipe_full(fd):
    queued = struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0" * 4))[0]
    return queued == fcntl.fcntl(fd, fcntl.F_GETPIPE_SZ)


def read_to_end(fd):
    """Everything written into the FIFO until the writer closes it."""
    chunks = []
    while True:
        if not select.select([fd], [], [], PATIENCE_SECONDS)[0]:
            raise CheckFailed("the save stopped writing before its end")
        chunk = os.read(fd, 65536)
        if not chunk:
            return b"".join(chunks)
        chunks.append(chunk)


def input_during_slow_save(session):
    expected = counting_answer(ANSWER_BYTES)
    fifo = session.path("log.txt")
    os.mkfifo(fifo)
    # Open without waiting for a writer; the program opens its end at the save.
    reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
    try:
        if fcntl.fcntl(reader, fcntl.F_GETPIPE_SZ) >= len(expected):
            raise CheckFailed("the recording fits into the pipe: the save would not stall")
        main = start_program(session, "log.txt")
        button = holen_button(main)
        press(main, "alt+d")
        session.wait_for_answer(1, ANSWER_BYTES)
        press(main, "Return")  # "Abbrechen": the save fills the pipe and waits in it
        wait_for("the save to fill the pipe", lambda: pipe_full(reader))
        click(main, *button)
        press(main, "Return")
        expect_content("the FIFO", read_to_end(reader), expected)
    finally:
        os.close(reader)
    os.remove(fifo)

    # The Setup dialog opens only once the input queued during the save has been handled.
    press(main, "alt+s")
    wait_for("the setup dialog", lambda: visible_window("Setup"))
    press(visible_window("Setup"), "Return")
    wait_closed("Setup")
    session.shot(main, "3-after-stalled-save")
    if session.requests_seen() != 1:
        raise CheckFailed("input made during the save started a recording")

    # Idle: the same spot starts a recording, whose stop saves a file as usual.
    click(main, *button)
    session.wait_for_answer(2, ANSWER_BYTES)
    if os.path.exists(fifo):
        raise CheckFailed("the click stopped a recording instead of starting one")
    press(main, "Return")
    wait_for("the second recording's file", lambda: os.path.exists(fifo))
    with open(fifo, "rb") as recording:
        expect_content("the second recording", recording.read(), expected)
    session.stop_device()
    done = session.device_said(r"^done received=(\d+) requests=(\d+)")
    if done != [("2", "2")]:
        raise CheckFailed(f"the device's counts of bytes received and requests: {done}")
    left = sorted(os.listdir(session.start_dir))
    if left != [".devsim-ready", "Setup.txt", "devsim.log", "log.txt"]:
        raise CheckFailed(f"start directory holds {left}")


if __name__ == "__main__":
    shots = run_checks(__doc__, folder_removed, input_during_slow_save)
    print("failed save: all checks passed; screenshots in", shots)
