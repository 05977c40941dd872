#!/usr/bin/env python3
"""The real Querlan program on a screen that GTK scales by two (GDK_SCALE=2), as on a
high-DPI desktop: both windows come up twice their Setup.txt size in the screen's pixels,
and quitting writes back the Setup.txt the program read, byte for byte. Screenshots of both
windows are kept. Exits non-zero on the first failed check.
"""

import os

from desktop import CheckFailed, geometry, press, run_checks, visible_window, wait_closed, wait_for

SETTINGS = ["10", "10", "600", "400", "200", "150", "491", "239", "0", "19200", "3", "log.txt"]


def expect_size(window, what, size):
    if geometry(window) != size:
        raise CheckFailed(f"{what}: {geometry(window)} pixels, not {size}")


def run(session):
    session.link_com1("--quiet")
    session.write_settings(SETTINGS)
    main = session.start(GDK_SCALE="2")
    expect_size(main, "main window", (1200, 800))
    session.shot(main, "main-scaled")
    press(main, "alt+s")
    setup = wait_for("the setup dialog", lambda: visible_window("Setup"))
    expect_size(setup, "setup dialog", (982, 478))
    session.shot(setup, "setup-scaled")
    press(setup, "Return")
    wait_closed("Setup")
    session.quit(main)
    with open(os.path.join(session.start_dir, "Setup.txt"), "rb") as settings:
        written = settings.read()
    expected = b"".join(line.encode() + b"\r\n" for line in SETTINGS)
    if written != expected:
        raise CheckFailed(f"Setup.txt after quitting: {written!r}")


if __name__ == "__main__":
    shots = run_checks(__doc__, run)
    print("scaled: all checks passed; screenshots in", shots)
