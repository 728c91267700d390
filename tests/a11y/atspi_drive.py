#!/usr/bin/python3
"""Drives the real program as a screen reader or an automation tool would: over AT-SPI only.

Starts the simulated printer on a pseudo-terminal and the program against it (with a settings
file of its own), finds the program on the accessibility bus, presses "Interroga stampante" and
"Inventory" through their actions, reads the tag's UID from the field named "UID" and the last
command from the label after "Ultima lettura eseguita:", and ends the program with "Chiudi".

Usage: atspi_drive.py PROGRAM SIMULATOR
Needs a display and a session bus: CTest runs it under dbus-run-session and xvfb-run, with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and QT_QPA_PLATFORM=xcb.
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

# The simulator's tag has the UID E0 04 01 50 2A 3C 7B 12; the program shows it in decimal.
EXPECTED_UID = " 224   4   1   80   42   60   123   18  "
EXPECTED_MODEL = " VIREO 4400"
PATIENCE = 10.0  # seconds; a shared machine may be slow, so this bounds waiting, not speed


def wait_for(what, probe, patience=PATIENCE):
    """Polls probe() until it gives something other than None or False; fails the test naming
    `what` otherwise. (An accessible without children counts as false in Python: not tested.)"""
    deadline = time.monotonic() + patience
    last = None
    while True:
        try:
            last = probe()
        except Exception as error:  # the tree can change under a query; ask again
            last = error
        if last is not None and last is not False and not isinstance(last, Exception):
            return last
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for %s (last seen: %r)" % (what, last))
        time.sleep(0.1)


def text_of(field):
    return field.queryText().getText(0, -1)


def wait_for_text(what, field, expected):
    seen = []

    def probe():
        seen[:] = [text_of(field)]
        return seen[0] == expected
    try:
        wait_for(what, probe)
    except AssertionError:
        raise AssertionError("timed out waiting for %s: expected %r, the field shows %r"
                             % (what, expected, seen[0] if seen else None)) from None


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find(root, role, name):
    """The first accessible below root with this role and name."""
    return pyatspi.findDescendant(
        root, lambda a: a is not None and a.getRole() == role and a.name == name)


def label_after(root, caption):
    """The label that follows the label `caption`, as a screen reader reads them in order."""
    first = find(root, pyatspi.ROLE_LABEL, caption)
    if first is None:
        raise AssertionError("no label %r" % caption)
    following = first.parent.getChildAtIndex(first.getIndexInParent() + 1)
    if following is None or following.getRole() != pyatspi.ROLE_LABEL:
        raise AssertionError("no label after %r" % caption)
    return following


def wait_for_name(what, accessible, expected):
    """A label has no text interface: its name is what a screen reader speaks."""
    try:
        wait_for(what, lambda: accessible.name == expected)
    except AssertionError:
        raise AssertionError("timed out waiting for %s: expected %r, a screen reader hears %r"
                             % (what, expected, accessible.name)) from None


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = names.index("Press") if "Press" in names else 0
    if not action.doAction(index):
        raise AssertionError("%s did not take the action %r" % (button.name, names[index]))


def stop(process):
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def main():
    program, simulator = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="v4400-a11y.") as work:
        link = os.path.join(work, "printer")
        config = os.path.join(work, "config")
        os.mkdir(config)
        with open(os.path.join(config, "V4400 TAG RF.conf"), "w") as f:
            f.write("[Ports]\nCom1=%s\n" % link)

        sim = app = None
        try:
            sim = subprocess.Popen([simulator, "--link", link], stdout=subprocess.DEVNULL)
            wait_for("the simulated printer's device", lambda: os.path.exists(link))

            env = dict(os.environ, XDG_CONFIG_HOME=config, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            if "ASAN_OPTIONS" in env:
                # Under AddressSanitizer: libxkbcommon-x11 hands strndup() a counted, unterminated
                # string from the X server, which strict_string_checks reports inside the library.
                env["ASAN_OPTIONS"] += ":strict_string_checks=0"
            app = subprocess.Popen([program], env=env)
            root = wait_for("the program on the accessibility bus",
                            lambda: find_application(app.pid))
            window = wait_for("the main window",
                              lambda: find(root, pyatspi.ROLE_FRAME, "Vireo 4400 TAG - RF"))

            press(wait_for("the query button",
                           lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, "Interroga stampante")))
            model = find(window, pyatspi.ROLE_TEXT, "Modello")
            wait_for_text("the printer's model", model, EXPECTED_MODEL)

            uid = find(window, pyatspi.ROLE_TEXT, "UID")
            if text_of(uid) != "":
                raise AssertionError("UID shown before Inventory: %r" % text_of(uid))
            last_command = label_after(window, "Ultima lettura eseguita:")
            wait_for_name("the last command before any", last_command, "nessuna lettura")
            press(find(window, pyatspi.ROLE_PUSH_BUTTON, "Inventory"))
            wait_for_text("the tag's UID", uid, EXPECTED_UID)
            print("UID read over AT-SPI: %r" % text_of(uid))
            wait_for_name("the last command", last_command, "INVENTORY")
            print("last command heard over AT-SPI: %r" % last_command.name)

            # "Chiudi" ends the program, normally (under the sanitizers: with its leak check).
            press(find(window, pyatspi.ROLE_PUSH_BUTTON, "Chiudi"))
            try:
                status = app.wait(timeout=PATIENCE)
            except subprocess.TimeoutExpired:
                raise AssertionError("the program did not end after \"Chiudi\"") from None
            if status != 0:
                raise AssertionError("the program ended with status %d" % status)
        finally:
            stop(app)
            stop(sim)


if __name__ == "__main__":
    main()
