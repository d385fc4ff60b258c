#!/usr/bin/env python3
"""Walks the program as a screen reader sees it through the accessibility bus (AT-SPI).

Started by run-on-bus.sh inside a private session bus on a private X server. Starts the
accessibility bus, the program against the simulated card and the dialog host, visits every page
and the dialogs, and lists every fault found:

- a focusable control without a name, or named only by its own value, or sharing its name with
  another control of the same kind in the same group of a window;
- a value shown without its caption (a selectable value label named by its text, a bare figure);
- a table whose headers are numbers, or with figures in a column that no single header names;
- a drawn bar or graph without a value, an image without a name of its own;
- a secret edit exposed as plain text, or a password that comes back through the bus;
- a top-level window that is not a frame or a dialog, a page tab that does not say it is current;
- a list of items with boxes whose items do not say what the box means;
- text set through the bus that the page ignores;
- a Site Survey row chosen through the bus that leaves "Associate" disabled;
- a combo box whose text is not its current item, a threshold edit that is not a spin button with
  a range, a value change heard from a meter that is not shown;
- a refused join (a wrong passphrase given to Site Survey's "Configure Network") or a cut WEP key
  whose notice is not announced as a notification;
- a wizard page reached by "Next >" without the focus on it, Complete without it on "Finish";
- a Network Status value that Tab does not reach as a read-only field.

Exit status: 0 no fault, 1 faults, 77 the accessibility bus could not start (skipped).
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402

SKIP = 77
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "combo box", "text",
    "password text", "spin button", "list", "table", "tree", "tree table", "slider", "page tab list",
}
# A figure without words: "575", "500 bps", "12.5 Kbps", "63 %".
BARE_FIGURE = re.compile(r"^\s*-?\d[\d.,]*\s*(%|[kKM]?bps|dBm|[KMG]?B)?\s*$")
SECRET_WORDS = re.compile(r"password|passphrase", re.IGNORECASE)
PROBE_SECRET = "Probe-Secret-42"


def pump():
    """Delivers the bus events that arrived (to Heard)."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(predicate, seconds, step=0.1):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump()
        value = predicate()
        if value:
            return value
        time.sleep(step)
    pump()
    return predicate()


class Heard:
    """The events a screen reader acts on, as they come over the bus."""
    KINDS = ("object:state-changed:showing", "object:property-change:accessible-value",
             "object:text-changed:insert")

    def __init__(self):
        self.events = []
        pyatspi.Registry.registerEventListener(self.on_event, *self.KINDS)

    def on_event(self, event):
        source = event.source
        self.events.append((event.type, event.detail1, role(source), safe(lambda: source.name, "") or "",
                            showing(source), event.any_data if isinstance(event.any_data, str) else ""))

    def since(self, mark, kind, wanted_role=None):
        return [e for e in self.events[mark:] if e[0].startswith(kind) and (wanted_role is None or e[2] == wanted_role)]

    def mark(self):
        pump()
        return len(self.events)


def combo_items(acc):
    return [(safe(lambda c=c: c.name, "") or "").strip() for lst in children(acc) for c in children(lst)]


def start_accessibility_bus(launcher):
    """Starts the accessibility bus launcher; returns it and the bus address (None: no bus)."""
    proc = subprocess.Popen([launcher, "--launch-immediately"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def address():
        try:
            reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                      None, GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE,
                                      1000, None)
            return reply.unpack()[0]
        except GLib.Error:
            return None

    return proc, wait_for(address, 10)


def safe(call, default=None):
    try:
        return call()
    except Exception:  # a widget may vanish while it is read
        return default


def states(acc):
    return safe(lambda: set(acc.getState().getStates()), set())


def children(acc):
    count = safe(lambda: acc.childCount, 0) or 0
    return [c for c in (safe(lambda i=i: acc.getChildAtIndex(i)) for i in range(count)) if c is not None]


def role(acc):
    return safe(acc.getRoleName, "")


def text_of(acc):
    iface = safe(acc.queryText)
    return safe(lambda: iface.getText(0, -1), None) if iface else None


def showing(acc):
    return pyatspi.STATE_SHOWING in states(acc)


def walk_showing(acc):
    """The showing objects under acc (itself included); hidden branches are skipped."""
    stack = [acc]
    while stack:
        node = stack.pop()
        yield node
        if role(node) == "combo box":
            continue  # its popup list is read through the combo box itself
        stack.extend(c for c in reversed(children(node)) if showing(c))


def find(acc, wanted_role, name=None):
    for node in walk_showing(acc):
        if role(node) == wanted_role and (name is None or node.name == name):
            return node
    return None


def labels_of(acc):
    """The names of what names acc ("labelled by"): labels, and the title of its group."""
    names = []
    for relation in safe(acc.getRelationSet, []) or []:
        if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
            continue
        for i in range(relation.getNTargets()):
            target = relation.getTarget(i)
            if (safe(lambda: target.name, "") or "").strip():
                names.append(target.name.strip())
    return names


def separator(acc):
    """A frame too thin to draw anything but a line."""
    extents = safe(lambda: acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))
    return extents is not None and min(extents.width, extents.height) < 6


def group_of(acc):
    """The title of the nearest group (panel) around acc."""
    node = safe(lambda: acc.parent)
    while node is not None and role(node) not in ("application", "frame", "dialog"):
        if role(node) == "panel" and (safe(lambda: node.name, "") or "").strip():
            return node.name.strip()
        node = safe(lambda: node.parent)
    return ""


def path(acc):
    parts = []
    node = acc
    while node is not None and role(node) != "application":
        parts.append("%s %r" % (role(node), safe(lambda: node.name, "")))
        node = safe(lambda: node.parent)
    return " < ".join(parts[:4])


class Audit:
    def __init__(self):
        self.faults = []
        self.windows = 0

    def fault(self, where, acc, what):
        self.faults.append("%s: %s (%s)" % (where, what, path(acc)))

    def window(self, top, where):
        """Checks one showing top-level window."""
        self.windows += 1
        if os.environ.get("A11Y_WALK_DUMP"):
            for node in walk_showing(top):
                print("DUMP %s | %s %r desc=%r text=%r %s" % (where, role(node), safe(lambda: node.name), safe(lambda: node.description), text_of(node),
                      sorted(pyatspi.stateToString(x) for x in states(node))))
        if role(top) not in ("frame", "dialog", "alert"):
            self.fault(where, top, "top-level window exposed as %r" % role(top))
        named = {}
        for node in walk_showing(top):
            self.node(node, where, named)
        for (kind, name, _), nodes in named.items():
            if len(nodes) > 1:
                self.fault(where, nodes[0], "%d %ss named %r" % (len(nodes), kind, name))

    def node(self, node, where, named):
        kind = role(node)
        name = (safe(lambda: node.name, "") or "").strip()
        st = states(node)
        if kind in CONTROL_ROLES and pyatspi.STATE_FOCUSABLE in st:
            if not name:
                self.fault(where, node, "%s without a name" % kind)
            elif self.named_by_value(node, kind, name):
                self.fault(where, node, "%s named only by its value %r" % (kind, name))
            else:
                # Controls of the same name in different groups are told apart by the group.
                named.setdefault((kind, name, group_of(node)), []).append(node)
        if kind == "label" and name and not labels_of(node):
            if BARE_FIGURE.match(name):
                self.fault(where, node, "figure without a caption")
            elif pyatspi.STATE_FOCUSABLE in st and name == (text_of(node) or "").strip():
                self.fault(where, node, "value without a caption")
        if kind == "combo box":
            items = combo_items(node)
            shown = (text_of(node) or "").strip()
            if items and shown not in items:
                self.fault(where, node, "combo box without its current item as its text (%r)" % shown)
        if kind == "text" and name in ("Fragment Threshold:", "RTS/CTS Threshold:") and pyatspi.STATE_FOCUSABLE in st:
            self.fault(where, node, "threshold edit that is not a spin button")
        if kind == "spin button" and pyatspi.STATE_FOCUSABLE in st:
            value = safe(node.queryValue)
            if value is None or not safe(lambda: value.minimumValue < value.maximumValue, False):
                self.fault(where, node, "spin button without a range")
        if kind in ("table column header", "table row header") and re.fullmatch(r"\d+", name):
            self.fault(where, node, "table with numbered headers")
        if kind == "table":
            self.table(node, where)
        if kind == "list":
            items = children(node)
            if any(pyatspi.STATE_CHECKED in states(i) for i in items):
                for item in items:
                    if not (safe(lambda: item.description, "") or "").strip():
                        self.fault(where, item, "list item with a box that does not say what the box means")
                        break
        if kind in ("filler", "frame", "panel", "progress bar") and not children(node):
            # A leaf that draws something (a bar, a graph: a named leaf, or a framed one) must
            # say what it shows.
            if kind == "progress bar" or name or (kind == "frame" and not separator(node)):
                self.meter(node, where)
        if kind == "image" and (not name or name == (safe(lambda: node.parent.name, "") or "")):
            self.fault(where, node, "image without a name of its own")
        if kind == "text" and SECRET_WORDS.search(name):
            self.fault(where, node, "secret edit exposed as plain text")
        if kind == "password text":
            self.secret(node, where)

    @staticmethod
    def named_by_value(node, kind, name):
        if kind == "combo box":
            items = [c for lst in children(node) for c in children(lst)]
            return any((safe(lambda c=c: c.name, "") or "").strip() == name for c in items)
        if kind in ("text", "spin button"):
            return name == (text_of(node) or "").strip()
        return False

    def table(self, node, where):
        """A figure in a column whose header does not name it alone must carry its own name."""
        table = safe(node.queryTable)
        if table is None:
            return
        headers = [(safe(lambda c=c: table.getColumnHeader(c).name, "") or "").strip() for c in range(table.nColumns)]
        # Row headers count even where the header is hidden: a screen reader reads them with a cell.
        rows = [(safe(lambda r=r: table.getRowHeader(r).name, "") or "").strip() for r in range(table.nRows)]
        if any(re.fullmatch(r"\d+", header) for header in headers + rows):
            self.fault(where, node, "table with numbered headers")
        for column, header in enumerate(headers):
            if header and not re.fullmatch(r"\d+", header) and headers.count(header) == 1:
                continue
            for row in range(table.nRows):
                cell = safe(lambda: table.getAccessibleAt(row, column))
                name = (safe(lambda: cell.name, "") or "").strip() if cell else ""
                if name and BARE_FIGURE.match(name):
                    self.fault(where, cell, "table value without its name (column %r)" % header)
                    return

    def meter(self, node, where):
        value = safe(node.queryValue)
        if value is None:
            self.fault(where, node, "drawn bar or graph without a value")
            return
        description = safe(lambda: node.description, "") or ""
        if not re.search(r"\d", description):
            self.fault(where, node, "value without its figure in the description %r" % description)

    def secret(self, node, where):
        editable = safe(node.queryEditableText)
        if editable is None or pyatspi.STATE_EDITABLE not in states(node):
            return
        before = text_of(node) or ""
        if safe(lambda: editable.setTextContents(PROBE_SECRET)) is None:
            return
        back = wait_for(lambda: text_of(node), 2) or ""
        if PROBE_SECRET in back or PROBE_SECRET in (safe(lambda: node.name, "") or ""):
            self.fault(where, node, "password returned in clear through the bus")
        safe(lambda: editable.setTextContents(before if before and "\u25cf" not in before else ""))


def focused(window):
    for node in walk_showing(window):
        if pyatspi.STATE_FOCUSED in states(node):
            return node
    return None


def app_of(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if safe(app.get_process_id) == pid:
            return app
    return None


def showing_windows(app):
    return [w for w in children(app) if showing(w)]


def press(acc):
    action = safe(acc.queryAction)
    if action is None:
        return False
    for i in range(action.nActions):
        if action.getName(i) in ("press", "Press", "click"):
            return safe(lambda: action.doAction(i), False) is not None
    return safe(lambda: action.doAction(0), False) is not None


def button(window, name):
    for kind in ("push button", "check box", "page tab"):
        found = find(window, kind, name)
        if found is not None:
            return found
    return None


def new_window(app, known, seconds=10):
    def fresh():
        for w in showing_windows(app):
            if not any(w == k for k in known):
                return w
        return None
    return wait_for(fresh, seconds)


def gone(app, window, seconds=10):
    return wait_for(lambda: not any(w == window for w in showing_windows(app)), seconds)


def close_dialog(app, dialog):
    for name in ("Cancel", "Exit", "Close"):
        found = button(dialog, name)
        if found is not None and press(found) and gone(app, dialog):
            return True
    return False


class ProgramWalk:
    """The program: every page of the main window and the dialogs its buttons open."""

    def __init__(self, app, audit, heard):
        self.app = app
        self.audit = audit
        self.heard = heard
        self.main = None

    def run(self):
        self.main = wait_for(self.find_main, 30)
        if self.main is None:
            self.audit.faults.append("program: main window never appeared on the bus")
            return
        tabs = self.page_tabs()
        if tabs is None:
            self.audit.faults.append("program: no page tabs on the bus")
            return
        for tab in children(tabs):
            if role(tab) != "page tab":
                continue
            title = tab.name
            press(tab)
            if not wait_for(lambda: pyatspi.STATE_SELECTED in states(tab), 5):
                self.audit.fault(title, tab, "page tab does not say it is the current page")
            time.sleep(0.3)
            self.dismiss_unasked()
            self.audit.window(self.main, "page %s" % title)
            visit = getattr(self, "page_" + re.sub(r"\W", "_", title.lower()), None)
            if visit:
                visit(title)
        for kind, _, source_role, name, was_showing, _ in self.heard.events:
            if kind.endswith("accessible-value") and source_role == "progress bar" and not was_showing:
                self.audit.faults.append("meter %r not shown announced a new value" % name)
                break

    def find_main(self):
        self.dismiss_unasked()
        for w in showing_windows(self.app):
            if self.tabs_of(w) is not None:
                return w
        return None

    @staticmethod
    def tabs_of(window):
        """The window's own page tabs: the outermost tab list, at most three levels down."""
        level = [window]
        for _ in range(3):
            level = [c for node in level for c in children(node)]
            for child in level:
                if role(child) == "page tab list":
                    return child
        return None

    def page_tabs(self):
        return self.tabs_of(self.main)

    def dismiss_unasked(self):
        """A dialog the program opened by itself (Auto Link) is checked once and closed."""
        for w in showing_windows(self.app):
            if self.tabs_of(w) is None and (self.main is None or w != self.main):
                self.audit.window(w, "dialog %s" % w.name)
                ask = find(w, "check box", "Please do not ask me again")
                if ask is not None and pyatspi.STATE_CHECKED not in states(ask):
                    press(ask)
                close_dialog(self.app, w)

    def open_dialog(self, opener_name, where):
        opener = button(self.main, opener_name)
        if opener is None:
            self.audit.faults.append("%s: no button %r" % (where, opener_name))
            return None
        known = showing_windows(self.app)
        press(opener)
        dialog = new_window(self.app, known)
        if dialog is None:
            self.audit.faults.append("%s: %r opened no window" % (where, opener_name))
        return dialog

    def page_network_status(self, title):
        for caption in ("Status:", "Network SSID:", "IP Address:"):
            field = find(self.main, "text", caption)
            if field is None or pyatspi.STATE_FOCUSABLE not in states(field):
                self.audit.faults.append("%s: %r is no field that Tab reaches" % (title, caption))

    def page_site_survey(self, title):
        table = find(self.main, "table", None)
        rows = safe(lambda: table.queryTable().nRows, 0) if table else 0
        if rows:
            safe(lambda: table.queryTable().addRowSelection(0))
            associate = button(self.main, "Associate")
            if associate is not None and not wait_for(lambda: pyatspi.STATE_ENABLED in states(associate), 3):
                self.audit.fault(title, associate, "a row chosen through the bus leaves the button disabled")
        dialog = self.open_dialog("Filter", title)
        if dialog is not None:
            self.audit.window(dialog, "dialog %s" % dialog.name)
            close_dialog(self.app, dialog)
        self.refused_join(title, table)

    def refused_join(self, title, table):
        """Home-WPA2 joined with a wrong passphrase: the refusal must be announced."""
        grid = safe(table.queryTable) if table else None
        row = next((r for r in range(safe(lambda: grid.nRows, 0) if grid else 0)
                    if safe(lambda r=r: grid.getAccessibleAt(r, 0).name, "") == "Home-WPA2"), None)
        if row is None:
            self.audit.faults.append("%s: no row for Home-WPA2" % title)
            return
        safe(lambda: grid.addRowSelection(row))
        dialog = self.open_dialog("Associate", title)
        if dialog is None:
            return
        secrets = [n for n in walk_showing(dialog) if role(n) == "password text"]
        ok = button(dialog, "OK")
        if not secrets or ok is None:
            self.audit.faults.append("%s: Configure Network without passphrase fields or OK" % title)
            close_dialog(self.app, dialog)
            return
        for secret in secrets:
            safe(lambda s=secret: s.queryEditableText().setTextContents("not the passphrase"))
        mark = self.heard.mark()
        press(ok)
        spoken = wait_for(lambda: [e for e in self.heard.since(mark, "object:state-changed:showing", "notification")
                                   if e[1] and "Authentication failed" in e[3]], 20)
        if not spoken:
            self.audit.faults.append("%s: a refused join is not announced as a notification" % title)
        self.dismiss_unasked()

    def page_profile_manager(self, title):
        wizard = self.open_dialog("Create...", title)
        if wizard is None:
            return
        self.audit.window(wizard, "wizard")
        name = find(wizard, "text", "Profile Name:")
        next_button = button(wizard, "Next >")
        if name is None or next_button is None:
            self.audit.faults.append("wizard: no profile name edit or Next button on the bus")
        else:
            safe(lambda: name.queryEditableText().setTextContents("Screen reader"))
            if not wait_for(lambda: pyatspi.STATE_ENABLED in states(next_button), 3):
                self.audit.fault("wizard", name, "a name set through the bus leaves Next disabled")
            else:
                for page in ("second page", "third page", "Complete"):
                    # As by keyboard: the focus is on "Next >" when it is pressed.
                    safe(lambda: next_button.queryComponent().grabFocus())
                    wait_for(lambda: pyatspi.STATE_FOCUSED in states(next_button), 3)
                    before = focused(wizard)
                    press(next_button)
                    now = wait_for(lambda: (lambda f: f if f is not None and f != before else None)(focused(wizard)), 5)
                    if page == "Complete":
                        if now is None or now.name != "Finish":
                            self.audit.fault("wizard", wizard, "Complete without the focus on Finish (%s)" % path(now) if now else "none")
                    elif now is None or role(now) == "push button":
                        self.audit.fault("wizard", wizard, "%s reached by Next without the focus on its first field" % page)
                    if page == "second page":
                        self.audit.window(wizard, "wizard, second page")
        close_dialog(self.app, wizard)


def audit_dialog_host(app, audit, heard):
    """The dialog host shows each dialog on its own; each is audited as a window."""
    windows = wait_for(lambda: showing_windows(app), 20) or []
    for w in windows:
        audit.window(w, "dialog %s" % w.name)
        if "WEP" in (w.name or ""):
            cut_notice(w, audit, heard)
    return len(windows)


def cut_notice(dialog, audit, heard):
    """A key longer than the chosen size is cut; the notice saying so must be announced."""
    key = next((n for n in walk_showing(dialog) if role(n) in ("text", "password text")
                and pyatspi.STATE_EDITABLE in states(n)), None)
    if key is None:
        audit.faults.append("dialog %s: no key edit" % dialog.name)
        return
    mark = heard.mark()
    safe(lambda: key.queryEditableText().setTextContents("0123456789abcdef0123456789abcdef"))
    if not wait_for(lambda: [e for e in heard.since(mark, "object:state-changed:showing", "notification")
                             if e[1] and e[3]], 5):
        audit.faults.append("dialog %s: the cut key's notice is not announced as a notification" % dialog.name)


def start(command, env):
    return subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)


def stop(proc, name, audit):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
    try:
        _, err = proc.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        proc.kill()
        _, err = proc.communicate()
        audit.faults.append("%s: did not end on SIGTERM" % name)
    if proc.returncode != 0:
        audit.faults.append("%s: ended with status %s\n%s" % (name, proc.returncode, err[-3000:]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--dialogs", required=True)
    parser.add_argument("--launcher", required=True)
    args = parser.parse_args()

    launcher, address = start_accessibility_bus(args.launcher)
    if not address:
        print("SKIPPED: the accessibility bus did not start")
        launcher.kill()
        return SKIP

    audit = Audit()
    heard = Heard()
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ)
        env.update({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb",
                    "TEMBREL_SIM_SOCKET": os.path.join(work, "sim.sock")})
        env.pop("TEMBREL_LIBRARY", None)
        # Every page, the diagnostic ones too (and with them the Site Survey's "Filter").
        with open(os.path.join(work, "Tembrel.ini"), "w") as ini:
            ini.write("[Debug]\nDebugWin=1\nTestPage=1\nRegionPage=1\n")
        program = start([args.program, "--config-dir", work], env)
        host = start([args.dialogs], env)
        try:
            # A loaded machine may take long to start a sanitized build; a program that ended
            # is not waited for.
            app = wait_for(lambda: app_of(program.pid) or program.poll() is not None, 60, 0.3)
            app = app if app is not True else None
            if app is None:
                audit.faults.append("program: never appeared on the accessibility bus")
            else:
                ProgramWalk(app, audit, heard).run()
            host_app = wait_for(lambda: app_of(host.pid) or host.poll() is not None, 60, 0.3)
            host_app = host_app if host_app is not True else None
            if host_app is None or audit_dialog_host(host_app, audit, heard) == 0:
                audit.faults.append("dialog host: no window on the accessibility bus")
        finally:
            stop(program, "program", audit)
            stop(host, "dialog host", audit)
            launcher.terminate()
            launcher.wait()

    for line in audit.faults:
        print("FAULT " + line)
    print("%d windows and pages audited, %d faults" % (audit.windows, len(audit.faults)))
    return 1 if audit.faults else 0


if __name__ == "__main__":
    sys.exit(main())
