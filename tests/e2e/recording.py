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

from desktop import CheckFailed, geometry, press, run_checks, wait_for

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


def expected_recording():
    return b"".join(b"%d\r\n" % (index % 256) for index in range(ANSWER_BYTES))


def device_said(session, pattern):
    return re.findall(pattern, session.device_log(), re.MULTILINE)


def requests_seen(session):
    return len(device_said(session, r"^request \d+$"))


def wait_for_answer(session, request):
    """The device has seen this request byte and sent its whole answer, and the recording,
    which runs on, has not written its file yet."""
    wait_for(f"request {request} at the device", lambda: requests_seen(session) >= request)
    sent = ANSWER_BYTES * request
    wait_for(f"answer {request} sent", lambda: device_said(session, f"^sent {sent}$"))
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
        content = recording.read()
    expected = expected_recording()
    if content != expected:
        at = next((i for i, pair in enumerate(zip(content, expected)) if pair[0] != pair[1]),
                  min(len(content), len(expected)))
        raise CheckFailed(f"{what}: {len(content)} bytes instead of {len(expected)}, first "
                          f"difference at byte {at}: {content[max(at - 8, 0):at + 8]!r}")
    os.remove(destination)


def start_program(session):
    session.link_com1("--pattern", "count", "--bytes", str(ANSWER_BYTES))
    session.write_settings(SETTINGS)
    main = session.start()
    # The deferred start-up has run once the window takes the size from Setup.txt; keys
    # pressed from then on reach a program whose port is open.
    size = (int(MAIN_BOUNDS[2]), int(MAIN_BOUNDS[3]))
    wait_for("the settings applied", lambda: geometry(main) == size)
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
    if requests_seen(session) != 1:
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
    done = device_said(session, r"^done received=(\d+) requests=(\d+)")
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
