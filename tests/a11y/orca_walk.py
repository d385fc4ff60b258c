#!/usr/bin/env python3
"""The main jobs done by keyboard with the Orca screen reader listening.

Started by run-on-bus.sh (private X server, session and accessibility buses). Runs Orca with its
own preferences and a speech-dispatcher with the dummy output module, all under a temporary
folder; what Orca says is read from its debug log ("SPEECH OUTPUT: '...'"). Keys go to the X
server through tools/x11_window, which gives the window the input focus first (no window
manager runs).

The walk: Ctrl+Tab over every page; Site Survey joins Home-WPA2 ("Configure Network", the
passphrase typed twice, OK); the same network with a wrong passphrase (the refusal must be
spoken); the profile wizard from Profile Manager through every page to Finish. Each step fails
when Orca says nothing that a screen-reader user needs there.

Exit status: 0 every step spoken, 1 a step silent or the program failed, 77 skipped (Orca,
speech-dispatcher or the accessibility bus missing).
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written beside the sources
import walk  # noqa: E402
from walk import (SKIP, Audit, Heard, ProgramWalk, app_of, button, children, find, pyatspi, role, safe,
                  start, states, stop, wait_for)

SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'\s*(?:[\[{].*)?$", re.MULTILINE)
# Orca writes its debug log through a buffer; run with that file line-buffered, the log is up to
# date the moment Orca speaks.
LINE_BUFFERED_ORCA = """
import builtins, runpy, sys
log = sys.argv[1]
plain_open = builtins.open
def line_buffered(file, mode="r", *args, **kwargs):
    if file == log and "w" in mode:
        return plain_open(file, mode, buffering=1)
    return plain_open(file, mode, *args, **kwargs)
builtins.open = line_buffered
sys.argv = ["orca"] + sys.argv[2:]
runpy.run_path("/usr/bin/orca", run_name="__main__")
"""
SPEECHD_CONF = 'AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\nAudioOutputMethod "libao"\n'


class Orca:
    """Orca with a private home; `said_since` reads what it said from its debug log."""

    def __init__(self, work, env):
        self.log = os.path.join(work, "orca-debug.out")
        home = os.path.join(work, "home")
        conf = os.path.join(home, ".config", "speech-dispatcher")
        os.makedirs(conf)
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write(SPEECHD_CONF)
        self.env = dict(env)
        self.env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                         "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
                         "XDG_CACHE_HOME": os.path.join(home, ".cache")})
        command = [sys.executable, "-c", LINE_BUFFERED_ORCA.replace("/usr/bin/orca", shutil.which("orca")),
                   self.log, "-u", os.path.join(work, "orca-prefs"), "--debug-file", self.log]
        self.proc = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def text(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def mark(self):
        walk.pump()
        return len(self.text())

    def said_since(self, mark):
        return [m.group(1) for m in SPOKEN.finditer(self.text()[mark:])]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        # Orca started speech-dispatcher in the private home; it ends when its client is gone.


class Keys:
    """Keys typed into a window by its title, as the user would (tools/x11_window)."""

    def __init__(self, tool):
        self.tool = tool
        self.failed = []

    def __call__(self, title, *chords):
        result = subprocess.run([self.tool, "keys", title, *chords], stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True)
        if result.returncode != 0:
            self.failed.append("keys %s into %r: %s" % (" ".join(chords), title, result.stderr.strip()))

    def focus(self, title):
        """The window gets the input focus back, as a window manager gives it when a dialog closes."""
        result = subprocess.run([self.tool, "focus", title], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                text=True)
        if result.returncode != 0:
            self.failed.append("focus %r: %s" % (title, result.stderr.strip()))

    def type(self, title, text):
        chords = []
        for c in text:
            if c == " ":
                chords.append("space")
            elif c.isupper():
                chords.append("shift+" + c.lower())
            elif c == "-":
                chords.append("minus")
            else:
                chords.append(c)
        self(title, *chords)


class SpokenWalk:
    def __init__(self, orca, app, program_walk, keys):
        self.orca = orca
        self.app = app
        self.pw = program_walk
        self.keys = keys
        self.faults = []
        self.steps = 0

    def step(self, what, action, wanted=None, seconds=20):
        """Does `action`; Orca must say something (containing `wanted`, when given)."""
        self.steps += 1
        mark = self.orca.mark()
        action()

        def heard():
            said = " | ".join(self.orca.said_since(mark))
            if not said:
                return None
            return said if wanted is None or wanted.lower() in said.lower() else None
        said = wait_for(heard, seconds, 0.2)
        if not said:
            anything = " | ".join(self.orca.said_since(mark))
            self.faults.append("%s: Orca said %s" % (what, "nothing" if not anything else
                                                      "no %r, only %r" % (wanted, anything[:300])))
        return said

    def current_tab(self):
        tabs = self.pw.page_tabs()
        for tab in children(tabs) if tabs is not None else []:
            if pyatspi.STATE_SELECTED in states(tab):
                return tab.name
        return None

    def go_to(self, title):
        for _ in range(20):
            if self.current_tab() == title:
                return True
            before = self.current_tab()
            self.keys(self.pw.main.name, "ctrl+Tab")
            wait_for(lambda: self.current_tab() != before, 3)
        return self.current_tab() == title

    def settled(self, quiet=1.5, seconds=20):
        """Orca has said nothing new for `quiet` seconds: the program's start-up has been told."""
        last = [self.orca.mark(), time.monotonic()]

        def quiet_now():
            size = self.orca.mark()
            if size != last[0]:
                last[:] = [size, time.monotonic()]
            return time.monotonic() - last[1] >= quiet
        wait_for(quiet_now, seconds, 0.2)

    def pages(self):
        # The window comes up active, as on a desktop, and what it says at start is over before
        # the first key.
        self.step("the window is activated", lambda: self.keys.focus(self.pw.main.name), self.pw.main.name)
        self.settled()
        tabs = self.pw.page_tabs()
        # From the tab list, where Tab goes first in the window.
        safe(lambda: tabs.queryComponent().grabFocus())
        wait_for(lambda: pyatspi.STATE_FOCUSED in states(tabs), 5)
        self.settled()
        count = len([t for t in children(tabs) if role(t) == "page tab"]) if tabs is not None else 0
        for _ in range(count):
            before = self.current_tab()
            mark = self.orca.mark()
            self.keys(self.pw.main.name, "ctrl+Tab")
            now = wait_for(lambda: (lambda t: t if t and t != before else None)(self.current_tab()), 5)
            if now is None:
                self.faults.append("Ctrl+Tab from %r: no other page" % before)
                continue
            self.steps += 1
            if not wait_for(lambda: now.lower() in " | ".join(self.orca.said_since(mark)).lower(), 20, 0.2):
                said = " | ".join(s for s in self.orca.said_since(mark) if len(s.strip()) > 3)  # not key echo
                if not said:
                    self.faults.append("Ctrl+Tab to %r: Orca said nothing" % now)
                else:
                    # Known: reaching Profile Manager the first time, Orca reads its list row.
                    print("NOTE Ctrl+Tab to %r: Orca said %r, not the page's name" % (now, said[:300]))

    def back_in_window(self, what, dialog):
        """The dialog closed: the window is active again and Orca says where the user is."""
        if not walk.gone(self.app, dialog):
            self.faults.append("%s: the dialog did not close" % what)
            return
        self.step("%s: back in the window" % what, lambda: self.keys.focus(self.pw.main.name), self.pw.main.name)

    def associate(self, ssid):
        """Selects the network's row and presses Associate. A scan that rebuilds the list between
        the selection and the press leaves nothing chosen, so the press is tried again on the
        rebuilt list (a few times) until the dialog opens."""
        mark = self.orca.mark()
        for _ in range(3):
            table = find(self.pw.main, "table")
            grid = safe(table.queryTable) if table else None
            row = next((r for r in range(safe(lambda: grid.nRows, 0) if grid else 0)
                        if safe(lambda r=r: grid.getAccessibleAt(r, 0).name, "") == ssid), None)
            if row is None:
                self.faults.append("Site Survey: no row %r" % ssid)
                return None, mark
            safe(lambda: grid.addRowSelection(row))
            wait_for(lambda: safe(lambda: grid.isRowSelected(row), False), 5)
            known = walk.showing_windows(self.app)
            mark = self.orca.mark()
            walk.press(button(self.pw.main, "Associate"))
            dialog = walk.new_window(self.app, known)
            if dialog is not None:
                return dialog, mark
        self.steps += 1
        self.faults.append("Associate %s: no Configure Network dialog" % ssid)
        return None, mark

    def heard_since(self, mark, what, wanted, seconds=20):
        """Orca must have said `wanted` since `mark` (a step whose action is already done)."""
        self.steps += 1
        said = wait_for(lambda: (lambda t: t if wanted.lower() in t.lower() else None)(
            " | ".join(self.orca.said_since(mark))), seconds, 0.2)
        if not said:
            anything = " | ".join(self.orca.said_since(mark))
            self.faults.append("%s: Orca said %s" % (what, "nothing" if not anything else
                                                     "no %r, only %r" % (wanted, anything[:300])))

    def join(self, ssid, passphrase, wanted_after):
        if not self.go_to("Site Survey"):
            self.faults.append("Site Survey: not reached by Ctrl+Tab")
            return
        dialog, mark = self.associate(ssid)
        if dialog is None:
            return
        # The dialog opens with the focus on the passphrase.
        self.heard_since(mark, "Associate %s opens Configure Network" % ssid, "Passphrase")
        self.keys.type(dialog.name, passphrase)
        self.step("Tab to the passphrase confirmation", lambda: self.keys(dialog.name, "Tab"), "Confirm")
        self.keys.type(dialog.name, passphrase)
        ok = button(dialog, "OK")
        if wanted_after:
            self.step("OK joins %s" % ssid, lambda: walk.press(ok), wanted_after, seconds=30)
        else:
            walk.press(ok)
        self.back_in_window("OK joins %s" % ssid, dialog)

    def wizard(self):
        if not self.go_to("Profile Manager"):
            self.faults.append("Profile Manager: not reached by Ctrl+Tab")
            return
        create = button(self.pw.main, "Create...")
        known = walk.showing_windows(self.app)
        self.step("Create... opens the wizard", lambda: walk.press(create), "Profile Name")
        wizard = walk.new_window(self.app, known)
        if wizard is None:
            self.faults.append("Create...: no wizard")
            return
        self.keys.type(wizard.name, "Spoken")
        self.step("Tab to the SSID", lambda: self.keys(wizard.name, "Tab"), "SSID")
        self.keys.type(wizard.name, "Home-WPA2")
        next_button = button(wizard, "Next >")
        # Each page is announced by its first field (Finish on Complete), which has the focus.
        for page, wanted in (("Security", "Authentication Mode"), ("Protocol", "Do not change settings"),
                             ("Complete", "Finish")):
            self.step("Next to %s" % page, lambda: walk.press(next_button), wanted)
            if page == "Security":
                self.combo_change(wizard)
                # Shared Key on the way chose WEP: the encryption goes back to its first item.
                self.keys(wizard.name, "Tab")
                wait_for(lambda: (lambda f: f is not None and "Encryption" in (f.name or ""))(walk.focused(wizard)), 5)
                self.keys(wizard.name, "Prior")
        finish = button(wizard, "Finish")
        walk.press(finish)
        self.back_in_window("Finish", wizard)

    def combo_change(self, window):
        """Down, then Up, in a combo box: Orca says each new item."""
        combo = walk.focused(window)
        if combo is None or role(combo) != "combo box":
            self.faults.append("Security page: the focus is not on a combo box (%s)" % (combo and walk.path(combo)))
            return
        for chord in ("Down", "Up"):
            before = walk.text_of(combo)
            mark = self.orca.mark()
            self.keys(window.name, chord)
            after = wait_for(lambda: (lambda t: t if t and t != before else None)(walk.text_of(combo)), 5)
            self.steps += 1
            if after is None:
                self.faults.append("%s in %r changed nothing" % (chord, combo.name))
            elif not wait_for(lambda: after.lower() in " | ".join(self.orca.said_since(mark)).lower(), 20, 0.2):
                self.faults.append("%s in %r: Orca did not say %r (%r)" % (
                    chord, combo.name, after, " | ".join(self.orca.said_since(mark))[:300]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--keys", required=True, help="tools/x11_window")
    parser.add_argument("--launcher", required=True)
    args = parser.parse_args()
    for tool in ("orca", "speech-dispatcher"):
        if shutil.which(tool) is None:
            print("SKIPPED: %s not found (Debian packages orca, speech-dispatcher)" % tool)
            return SKIP

    launcher, address = walk.start_accessibility_bus(args.launcher)
    if not address:
        print("SKIPPED: the accessibility bus did not start")
        launcher.kill()
        return SKIP

    faults = []
    steps = 0
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ)
        env.update({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb",
                    "TEMBREL_SIM_SOCKET": os.path.join(work, "sim.sock")})
        env.pop("TEMBREL_LIBRARY", None)
        orca = Orca(work, env)
        program = None
        try:
            if not wait_for(lambda: "SPEECH OUTPUT" in orca.text() or orca.proc.poll() is not None, 60, 0.3) \
                    or orca.proc.poll() is not None:
                faults.append("Orca did not start speaking")
            else:
                program = start([args.program, "--config-dir", work], env)
                app = wait_for(lambda: app_of(program.pid) or program.poll() is not None, 60, 0.3)
                app = app if app is not True else None
                if app is None:
                    faults.append("program: never appeared on the accessibility bus")
                else:
                    pw = ProgramWalk(app, Audit(), Heard())
                    pw.main = wait_for(pw.find_main, 30)
                    if pw.main is None:
                        faults.append("program: no main window")
                    else:
                        keys = Keys(args.keys)
                        spoken = SpokenWalk(orca, app, pw, keys)
                        spoken.pages()
                        # The refusal first: a link made before would come back at once and end
                        # the refusal's story.
                        spoken.join("Home-WPA", "not the passphrase", "Authentication failed")
                        spoken.join("Home-WPA2", "correct horse battery", None)
                        spoken.wizard()
                        faults += spoken.faults + keys.failed
                        steps = spoken.steps
        finally:
            if program is not None:
                audit = Audit()
                stop(program, "program", audit)
                faults += audit.faults
            orca.stop()
            launcher.terminate()
            launcher.wait()
            if faults:
                print("What Orca said:\n  " + "\n  ".join(orca.said_since(0)[-80:]))

    for line in faults:
        print("FAULT " + line)
    print("%d spoken steps, %d faults" % (steps, len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
