#!/usr/bin/env python3
"""The real Querlan program on an X display (run it under xvfb-run).

Starts the program in a fresh start directory whose COM1 is the device simulator (never a
real serial port), with stray arguments on its command line, checks the main window's caption, opens the setup dialog by its
accelerator and closes it with OK (Enter), changes the baud rate and confirms the restart
message, closes it again with "Abbrechen" (a click), resizes both windows to their design
sizes and quits with "&Beenden", which saves the settings. A screenshot of each window at each
size is kept in the screenshots folder. Exits non-zero on the first failed check.
"""

import os

from desktop import (MAIN_CAPTION, CheckFailed, click, geometry, press, resize, run_checks,
                     visible_window, wait_closed, wait_for, xdotool)

SETUP_CAPTION = "Setup"


def open_setup(main):
    press(main, "alt+s")
    return wait_for("the setup dialog", lambda: visible_window(SETUP_CAPTION))


def click_setup_control(setup, row, share):
    """Clicks a control of the setup dialog where its layout puts it: at the given row of 20,
    a share of the width in from the left."""
    width, height = geometry(setup)
    click(setup, int(width * share), height * row // 20 + 10)


def run(session):
    session.link_com1("--quiet")
    # What a desktop or a user may put on the command line changes nothing: GTK would act on
    # the first two (no program could start on a display that is not there).
    main = session.start("--display", ":9999", "--g-fatal-warnings", "Messung.txt")
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
    session.confirm_box("Information", "restart-message")
    wait_closed(SETUP_CAPTION)

    setup = open_setup(main)
    click_setup_control(setup, 17, 0.75)  # "Abbrechen"
    wait_closed(SETUP_CAPTION)

    resize(main, 696, 480)
    session.shot(main, "main")
    session.quit(main)
    check_settings(session.start_dir)


def check_settings(start_dir):
    """Quitting saved the settings: the main window's last size and the new baud rate."""
    with open(os.path.join(start_dir, "Setup.txt"), "rb") as settings:
        lines = settings.read().split(b"\r\n")
    if len(lines) != 13 or lines[2:4] != [b"696", b"480"] or lines[9] != b"19200":
        raise CheckFailed(f"Setup.txt after quitting: {lines}")


if __name__ == "__main__":
    shots = run_checks(__doc__, run)
    print("real windows: all checks passed; screenshots in", shots)
