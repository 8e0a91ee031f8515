#!/usr/bin/python3
"""Reads the running client the way a screen reader does, through AT-SPI.

Run inside a private D-Bus session (see atspi_test.sh):

    atspi_walk.py CLIENT SERVER PORT

Starts the publisher server on 127.0.0.1:PORT (the client's built-in primary
address) with a fresh catalog, switches the session's accessibility on,
starts the client, waits for its first result page and walks its accessible
tree. Fails when a shown interactive control has no name, when fewer than
MIN_CONTROLS were read, when a combo box (shown or not) has no name, when one
of the sort or credit lists is missing or has an item without text, when a
notebook page button is not a page tab, or when the result page's item
titles cannot be read as links named by the titles themselves (the catalog's
own titles: a seller's nick link is no title link).
"""

import os
import select
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import Atspi, GLib

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_PAGE_TAB_LIST,
    pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_SCROLL_BAR, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_LIST,
}
PICTURE_LISTS = ("排序方式", "最低信用", "最高信用")
PANES = ("搜索结果", "卖家列表", "淘宝频道", "卖家商品")
TIMEOUT = 90
MIN_CONTROLS = 20
PAGE_ROWS = 40


def walk(node, depth=0, path=()):
    """Yields (node, path) for the node and everything under it."""
    if node is None or depth > 60:
        return
    yield node, path
    try:
        count = node.childCount
    except Exception:  # the node went away while we read it
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1, path + (node,))


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def pump():
    """Hands the accessibility library the bus messages that arrived
    meanwhile (new applications, changed children): it reads them only from
    the main loop, which this script never runs."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def find_app(name):
    pump()
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def in_web_content(path):
    return any(p.getRole() in (pyatspi.ROLE_DOCUMENT_WEB, pyatspi.ROLE_DOCUMENT_FRAME) for p in path)


def result_links(app):
    """Names of the links in the result pane's document."""
    for node, path in walk(app):
        if node.getRole() in (pyatspi.ROLE_DOCUMENT_WEB, pyatspi.ROLE_DOCUMENT_FRAME) and any(
                p.name == "搜索结果" for p in path):
            return [n.name for n, _ in walk(node) if n.getRole() == pyatspi.ROLE_LINK]
    return []


def plain(text):
    return " ".join(text.split())


def catalog_titles(path):
    """The titles of every item in the server's catalog, as a link reads them."""
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    try:
        return {plain(title) for (title,) in db.execute("SELECT title FROM items")}
    finally:
        db.close()


def title_links(app, titles, wanted):
    """The result page's links named by an item title, once there are `wanted`."""
    links = [name for name in result_links(app) if plain(name) in titles]
    return links if len(links) >= wanted else []


def describe(node, depth=0, limit=120, lines=None):
    """The roles and names of the node and what lies under it, indented, to
    see what a failing wait did find."""
    lines = [] if lines is None else lines
    if node is None or depth > 12 or len(lines) >= limit:
        return lines
    try:
        lines.append("%s%s %r (%d)" % ("  " * depth, node.getRoleName(), node.name, node.childCount))
        children = [node.getChildAtIndex(i) for i in range(min(node.childCount, 8))]
    except Exception as error:
        lines.append("%sunreadable: %s" % ("  " * depth, error))
        return lines
    for child in children:
        describe(child, depth + 1, limit, lines)
    return lines


def result_pane(app):
    for node, _ in walk(app):
        if node.name == "搜索结果":
            return node
    return None


class Failed(Exception):
    pass


def wait_for(what, probe, client):
    """Polls probe until it gives something; fails at once when the client
    has ended, and after TIMEOUT seconds."""
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        pump()
        value = probe()
        if value:
            return value
        if client.poll() is not None:
            raise Failed("the client ended with status %s while waiting for %s" % (client.returncode, what))
        time.sleep(0.5)
    raise Failed("timed out waiting for %s (applications on the bus: %s)" % (what, app_names()))


def app_names():
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        return [desktop.getChildAtIndex(i).name for i in range(desktop.childCount)]
    except Exception as error:
        return "unreadable: %s" % error


def show_tail(path, lines=60):
    """Prints the end of the client's own output, to see why it failed."""
    try:
        with open(path, errors="replace") as f:
            tail = f.readlines()[-lines:]
    except OSError:
        return
    if tail:
        print("--- the client's last output ---")
        print("".join(tail), end="")


def wait_until_listening(port, server):
    """Waits until the server accepts connections on 127.0.0.1:port: making
    a fresh catalog can take longer than the client takes to ask its first
    question, and a client that finds both its servers down shows no items."""
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if server.poll() is not None:
            raise Failed("the publisher server ended with status %s" % server.returncode)
        try:
            with socket.create_connection(("127.0.0.1", int(port)), timeout=1.0):
                return
        except OSError:
            time.sleep(0.05)
    raise Failed("the publisher server does not listen on port %s" % port)


def start_x_server(processes):
    """Starts Xvfb on a display it picks itself (it names it once it is ready,
    so there is no race with other X servers for a display number) and
    returns the display's name."""
    ready, writer = os.pipe()
    processes.append(subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1280x1024x24",
                                       "-nolisten", "tcp"], pass_fds=(writer,), start_new_session=True,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    os.close(writer)
    number = b""
    deadline = time.monotonic() + 30
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        if select.select([ready], [], [], 1.0)[0]:
            chunk = os.read(ready, 16)
            if not chunk:
                break
            number += chunk
    os.close(ready)
    if not number.strip().isdigit():
        raise Failed("the X server did not start")
    return ":" + number.strip().decode()


def main():
    client, server, port = sys.argv[1], sys.argv[2], sys.argv[3]
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                    "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:IsEnabled",
                    "variant:boolean:true"], check=True, stdout=subprocess.DEVNULL, timeout=30)
    folder = tempfile.mkdtemp(prefix="pallido-atspi-")
    processes = []
    try:
        try:
            env = dict(os.environ, QT_QPA_PLATFORM="xcb", DISPLAY=start_x_server(processes))
        except Failed as failure:
            print(failure)
            return 1
        server_process = subprocess.Popen([server, "--port", port, "--catalog", folder + "/catalog.sqlite",
                                           "--quiet"], start_new_session=True)
        processes.append(server_process)
        try:
            wait_until_listening(port, server_process)
        except Failed as failure:
            print(failure)
            return 1
        try:
            titles = catalog_titles(folder + "/catalog.sqlite")
        except sqlite3.Error as error:
            print("the catalog cannot be read: %s" % error)
            return 1
        if not titles:
            print("the catalog holds no items")
            return 1
        wanted = min(PAGE_ROWS, len(titles))
        log = open(folder + "/client.log", "w")
        client_process = subprocess.Popen([client], env=env, start_new_session=True, stdout=log,
                                          stderr=subprocess.STDOUT)
        processes.append(client_process)
        app = None
        try:
            app = wait_for("the client on the accessibility bus", lambda: find_app("pallido"), client_process)
            links = wait_for("%d item title links in the result page" % wanted,
                             lambda: title_links(app, titles, wanted), client_process)
        except Failed as failure:
            print(failure)
            if app is not None:
                print("--- the result pane as the bus shows it ---")
                print("\n".join(describe(result_pane(app))))
                Atspi.Accessible.clear_cache(app)
                pump()
                print("after clearing the cached tree: %d links, %d named by a title" % (
                    len(result_links(app)), len([n for n in result_links(app) if plain(n) in titles])))
            log.flush()
            show_tail(folder + "/client.log")
            return 1
        failures = []

        unnamed, checked_controls, page_tabs = [], 0, []
        for node, path in walk(app):
            role = node.getRole()
            if role == pyatspi.ROLE_PAGE_TAB:
                page_tabs.append(node)
            if role not in INTERACTIVE or not showing(node) or in_web_content(path):
                continue
            # A combo box's own drop-down list is read through the box.
            if role == pyatspi.ROLE_LIST and path and path[-1].getRole() == pyatspi.ROLE_COMBO_BOX:
                continue
            checked_controls += 1
            if not node.name.strip():
                parent = path[-1].name if path else ""
                unnamed.append("%s in %r" % (node.getRoleName(), parent))
        if unnamed:
            failures.append("%d shown interactive controls without a name: %s" % (len(unnamed), unnamed))
        if checked_controls < MIN_CONTROLS:
            failures.append("only %d shown interactive controls read, fewer than %d" % (checked_controls,
                                                                                   MIN_CONTROLS))

        lists_seen = []
        for node, path in walk(app):
            if node.getRole() != pyatspi.ROLE_COMBO_BOX or in_web_content(path):
                continue
            if not node.name.strip():
                failures.append("a combo box without a name in %r" % (path[-1].name if path else ""))
            if node.name in PICTURE_LISTS:
                lists_seen.append(node.name)
                items = [n for n, _ in walk(node) if n.getRole() == pyatspi.ROLE_LIST_ITEM]
                silent = [i for i, n in enumerate(items) if not n.name.strip()]
                if not items or silent:
                    failures.append("%s: %d items, without text: %s" % (node.name, len(items), silent))
        for name in PICTURE_LISTS:
            if name not in lists_seen:
                failures.append("no combo box is named %r" % name)

        captions = [t.name for t in page_tabs]
        for caption in ("商品类目", "淘宝卖家", "淘宝频道"):
            if caption not in captions:
                failures.append("no page tab %r among %s" % (caption, captions))
        shown = [t.name for t in page_tabs if t.getState().contains(pyatspi.STATE_CHECKED)]
        if "商品类目" not in shown:
            failures.append("the shown notebook page is not checked: %s" % shown)

        named = {n.name for n, _ in walk(app) if n.name}
        for pane in PANES:
            if pane not in named:
                failures.append("nothing is named %r" % pane)

        print("%d interactive controls read, %d title links (first: %r)" % (checked_controls, len(links),
                                                                            links[0]))
        if failures:
            print("\n".join(failures))
            return 1
        return 0
    finally:
        for p in reversed(processes):
            try:
                os.killpg(p.pid, signal.SIGTERM)
                p.wait(timeout=10)
            except Exception:
                try:
                    os.killpg(p.pid, signal.SIGKILL)
                except Exception:
                    pass
        subprocess.run(["rm", "-rf", folder])


if __name__ == "__main__":
    sys.exit(main())
