#!/usr/bin/env python3
"""What a screen reader reads of the real Querlan program: its accessible tree through AT-SPI.

Run it under xvfb-run and dbus-run-session: the session bus starts the accessibility bus
(at-spi-bus-launcher) when GTK asks for it, so nothing of the machine's desktop is used. The
script reads both windows' trees as Orca would, by role and name in reading order, checks
every label, the named fields and buttons, follows the progress text through a whole
recording, started and stopped as a screen reader's user would (the buttons' own action),
and quits by "Beenden".
"""

import re

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from desktop import CheckFailed, expect_content, press, run_checks, wait_for  # noqa: E402

ANSWER_BYTES = 2500
RECORDING_SECONDS = 3
SETTINGS = ["40", "30", "860", "420", "300", "200", "491", "239", "0", "9600",
            str(RECORDING_SECONDS), "Messung.txt"]
# The roles a reader stops at; a combo box is read as one field, its inner parts left out.
READ_ROLES = {"label", "text", "push button", "combo box", "spin button"}

# What each window reads, top to bottom: role and name (a pattern where it changes).
MAIN_IDLE = [
    ("label", "Baudrate: 9600 Bits pro Sek."),
    ("label", "Schnittstelle: COM1"),
    ("label", r"COM-In: +[:\-)]"),
    ("label", f"Aufzeichnung: {RECORDING_SECONDS} s"),
    ("label", "Log-Datei"),
    ("text", "Log-Datei"),
    ("push button", "Durchsuchen"),
    ("push button", "Daten holen"),
    ("push button", "Setup"),
    ("push button", "Beenden"),
]
SETUP = [
    ("label", "COM-Port"),
    ("combo box", "COM-Port"),
    ("label", "Baud-Rate"),
    ("combo box", "Baud-Rate"),
    ("label", r"Log-Zeit \[sec\]"),
    ("text", r"Log-Zeit \[sec\]"),
    ("spin button", r"Log-Zeit \[sec\]"),
    ("push button", "OK"),
    ("push button", "Abbrechen"),
]


def program_root(pid):
    desktop = Atspi.get_desktop(0)
    for index in range(desktop.get_child_count()):
        application = desktop.get_child_at_index(index)
        if application is not None and application.get_process_id() == pid:
            # Read afresh every time: this script runs no loop that would take the updates.
            application.clear_cache()
            return application
    return None


def showing(accessible):
    return accessible.get_state_set().contains(Atspi.StateType.SHOWING)


def frame(session, caption):
    root = program_root(session.program_process.pid)
    for index in range(root.get_child_count() if root else 0):
        window = root.get_child_at_index(index)
        if window.get_name().startswith(caption) and showing(window):
            return window
    return None


def read(accessible, found):
    """The showing objects a reader stops at, depth first, as (role, name, object)."""
    for index in range(accessible.get_child_count()):
        child = accessible.get_child_at_index(index)
        if child is None or not showing(child):
            continue
        role = child.get_role_name()
        if role in READ_ROLES:
            found.append((role, child.get_name(), child))
        if role != "combo box":
            read(child, found)
    return found


def matches(found, expected):
    return len(found) == len(expected) and all(
        role == want_role and re.fullmatch(want_name, name)
        for (role, name, _), (want_role, want_name) in zip(found, expected))


def read_window(session, caption, expected):
    """Waits until the window reads as expected; fails with what it read instead."""
    seen = []

    def reads_as_expected():
        window = frame(session, caption)
        seen[:] = read(window, []) if window else []
        return matches(seen, expected)

    try:
        wait_for(f'the window "{caption}" to read as expected', reads_as_expected)
    except CheckFailed as failure:
        lines = "\n".join(f"  {role}: {name!r}" for role, name, _ in seen)
        raise CheckFailed(f"{failure}; it reads:\n{lines}") from None
    for role, name, _ in seen:
        if re.search(r"[&_\t\n]", name):
            raise CheckFailed(f"{role} {name!r}: a marker or control character in its name")
    return {name: accessible for _, name, accessible in seen}


def click(accessible):
    """Presses a button through its action, as a screen reader's user does."""
    if not Atspi.Action.do_action(accessible, 0):
        raise CheckFailed(f"the button {accessible.get_name()!r} took no action")


def time_label(session):
    window = frame(session, "QUERLAN")
    labels = [name for role, name, _ in read(window, []) if role == "label"] if window else []
    return labels[3] if len(labels) > 3 else ""


def follow_recording(session, main):
    # A reader that keeps what it has read learns of a new text from the label's change
    # events, which the main context delivers here.
    reported = []
    listener = Atspi.EventListener.new(lambda event: reported.append(event.any_data))
    listener.register("object:property-change:accessible-name")

    def reported_progress():
        while GLib.MainContext.default().iteration(False):
            pass
        return any(isinstance(name, str) and re.fullmatch(every_byte, name) for name in reported)

    click(main["Daten holen"])
    every_byte = (rf"Verstrichen: \d+ von {RECORDING_SECONDS} s {ANSWER_BYTES} "
                  r"Zeichen wurden empfangen")
    wait_for("the progress text with every byte",
             lambda: re.fullmatch(every_byte, time_label(session)))
    wait_for("a change event with that progress text", reported_progress)
    listener.deregister("object:property-change:accessible-name")
    wait_for("the recording time again after the recording",
             lambda: time_label(session) == f"Aufzeichnung: {RECORDING_SECONDS} s",
             patience=RECORDING_SECONDS + 20)
    with open(session.path("Messung.txt"), "rb") as recording:
        expect_content("the recording", recording.read(),
                       b"".join(b"%d\r\n" % (i % 256) for i in range(ANSWER_BYTES)))


def run(session):
    session.link_com1("--quiet", "--pattern", "count", "--bytes", str(ANSWER_BYTES))
    main_window = session.start_with_settings(SETTINGS, NO_AT_BRIDGE="0")
    main = read_window(session, "QUERLAN", MAIN_IDLE)
    follow_recording(session, main)

    press(main_window, "alt+s")
    setup = read_window(session, "Setup", SETUP)
    click(setup["Abbrechen"])
    wait_for("the setup dialog to close", lambda: frame(session, "Setup") is None)

    read_window(session, "QUERLAN", MAIN_IDLE)
    session.quit(main_window)


if __name__ == "__main__":
    run_checks(__doc__, run)
    print("screen reader: all checks passed")
