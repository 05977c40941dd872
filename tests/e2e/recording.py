#!/usr/bin/env python3
"""Two whole recordings with the real Querlan program on an X display (run it under xvfb-run).

The device simulator on COM1 answers every request byte with 0, 1, ..., 255, 0, 1, ...
(3001 bytes). Setup.txt, written before the start, names the destination (with German
letters) and a short recording time. The first recording starts with Alt+D and is stopped
by Enter, which then presses "Abbrechen"; the second starts with Enter and ends by its
recording time. Both files are compared byte for byte; then "&Beenden" quits and the
Setup.txt it wrote is checked. Screenshots during and after the recordings are kept.
"""

import os
import re
import time

from desktop import CheckFailed, counting_answer, expect_content, press, run_checks, wait_for

# One byte past a multiple of three, so the activity indicator stands elsewhere after each.
ANSWER_BYTES = 3001
RECORDING_SECONDS = 10
DESTINATION = "Messung Größe.txt"
MAIN_BOUNDS = ["40", "30", "860", "420"]
SETUP_BOUNDS = ["300", "200", "491", "239"]
SETTINGS = MAIN_BOUNDS + SETUP_BOUNDS + ["0", "57600", str(RECORDING_SECONDS), DESTINATION]
# What the start directory holds at the end, once the recordings have been taken away and
# the device has removed its link: anything else, a save's temporary file for instance, is a
# fault.
FINAL_ENTRIES = {".devsim-ready", "devsim.log", "Setup.txt"}


def wait_for_answer(session, request):
    """The device has sent its whole answer to this request, and the recording, which runs on,
    has not written its file yet."""
    session.wait_for_answer(request, ANSWER_BYTES)
    if os.path.exists(session.path(DESTINATION)):
        raise CheckFailed(f"recording {request} wrote its file before it stopped")


def take_recording(session, what, patience):
    """Waits for the destination file, compares it and removes it for the next recording."""
    destination = session.path(DESTINATION)
    try:
        wait_for(what, lambda: os.path.exists(destination), patience)
    except CheckFailed as failure:
        entries = sorted(os.listdir(session.start_dir))
        raise CheckFailed(f"{failure}; the start directory holds {entries}") from None
    with open(destination, "rb") as recording:
        expect_content(what, recording.read(), counting_answer(ANSWER_BYTES))
    os.remove(destination)


def start_program(session):
    session.link_com1("--pattern", "count", "--bytes", str(ANSWER_BYTES))
    main = session.start_with_settings(SETTINGS)
    session.shot(main, "1-idle")
    return main


def record_stopped_by_enter(session, main):
    started = time.monotonic()
    press(main, "alt+d")
    wait_for_answer(session, 1)
    session.shot(main, "2-recording")
    press(main, "Return")
    # Until its recording time has passed, only "Abbrechen" can have saved the file.
    remaining = RECORDING_SECONDS - (time.monotonic() - started)
    take_recording(session, "the recording stopped by Enter", remaining)
    session.shot(main, "3-stopped-by-enter")
    if session.requests_seen() != 1:
        raise CheckFailed("Enter during the recording sent another request")


def record_stopped_by_time(session, main):
    press(main, "Return")
    wait_for_answer(session, 2)
    session.shot(main, "4-recording")
    take_recording(session, "the recording ended by its time", RECORDING_SECONDS + 20)
    session.shot(main, "5-ended-by-time")


def check_saved_settings(session):
    with open(session.path("Setup.txt"), "rb") as settings:
        text = settings.read()
    lines = text.split(b"\r\n")
    if len(lines) != 13 or lines[12] or any(b"\r" in line or b"\n" in line for line in lines):
        raise CheckFailed(f"Setup.txt is not 12 lines with CR LF: {text!r}")
    numbers = [line.decode("ascii", "replace") for line in lines[:11]]
    # Nothing moved or resized the main window; its position is left to the window system.
    integers = all(re.fullmatch(r"-?(0|[1-9]\d*)", number) for number in numbers[:2])
    if not integers or numbers[2:4] != MAIN_BOUNDS[2:4]:
        raise CheckFailed(f"main window bounds in Setup.txt: {numbers[:4]}")
    # The setup dialog was never shown, so it keeps the bounds the start-up gave it.
    if numbers[4:11] != SETTINGS[4:11] or lines[11] != DESTINATION.encode():
        raise CheckFailed(f"Setup.txt after quitting: {lines[4:12]}")


def check_device_and_files(session):
    """The program sent the device exactly its two request bytes and left no stray file."""
    session.stop_device()
    done = session.device_said(r"^done received=(\d+) requests=(\d+)")
    if done != [("2", "2")]:
        raise CheckFailed(f"the device's counts of bytes received and requests: {done}")
    left = set(os.listdir(session.start_dir))
    if left != FINAL_ENTRIES:
        raise CheckFailed(f"start directory holds {sorted(left)}")


def run(session):
    main = start_program(session)
    record_stopped_by_enter(session, main)
    record_stopped_by_time(session, main)
    session.quit(main)
    check_saved_settings(session)
    check_device_and_files(session)


if __name__ == "__main__":
    shots = run_checks(__doc__, run)
    print("recording: all checks passed; screenshots in", shots)
