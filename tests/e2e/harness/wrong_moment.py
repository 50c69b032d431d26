"""Clicks and keys at the wrong moment of a call, given as a user's input is:
queued by the window system and handled by whatever processes messages next.

A click that lands while a preview frame is being handled must not open its
dialog inside that frame (the video would stop until the dialog closes); a
double click must not open a window twice; a reset slot must stay reset; typed
keys must not land in another slot's address; a message bus that never
answers must not hold "Who's Online?".
"""

import os
import socket
import subprocess
import sys
import threading
import time

from peer import WEBCAM_NOT_FOUND, Peer, wait_until, wait_until_time

DNS_DELAY = 2.0          # seconds the name server takes to answer
FRAMES_WHILE_OPEN = 10   # pictures the peer must receive while each dialog is open; a stalled
                         # sender has at most the one it was sending when the dialog opened
OPEN_PERIOD = 1.0        # seconds those take on an idle machine, at a third of the camera's rate
OPENINGS = 5
SCAN_DEADLINE = 20.0     # seconds from the double click: the scan's own bound is 3 s of the
                         # clock, and a scan held by the bus lasts its reply time-out of 25 s


class SilentBus:
    """A message bus socket that takes connections and never answers."""

    def __init__(self, path):
        self.path = path
        self.clients = []
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(path)
        self.server.listen(16)
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                client, _ = self.server.accept()
            except OSError:
                return
            self.clients.append(client)  # kept open, never read back to

    def close(self):
        self.server.close()
        for c in self.clients:
            c.close()


class SlowDns:
    """slow_dns.py inside host's namespace; other hosts' resolv.conf point at it."""

    def __init__(self, network, host, clients, names, delay):
        self.network, self.host = network, host
        args = [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)), "slow_dns.py"),
                network.address(host), str(delay)] + ["%s=%s" % kv for kv in names.items()]
        self.process = subprocess.Popen(["ip", "netns", "exec", network.namespace(host)] + args,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if self.process.stdout.readline().strip() != b"listening":
            raise RuntimeError("the name server did not start")
        for client in clients:
            with open(os.path.join("/etc/netns", network.namespace(client), "resolv.conf"), "w") as f:
                f.write("nameserver %s\noptions timeout:5 attempts:1\n" % network.address(host))

    def close(self):
        self.process.kill()
        self.process.wait()


def showing(peer, window):
    return peer.command("showing " + window) == 1


def wait_showing(peer, window, shown=True, timeout=5):
    wait_until(lambda: showing(peer, window) == shown, timeout,
               "%s's %s to %s" % (peer.name, window, "open" if shown else "close"))


def received_rate(receiver, slot, what):
    """Waits until receiver has shown FRAMES_WHILE_OPEN more pictures in slot; returns
    how many a second that was."""
    first, started = receiver.frames(slot), time.monotonic()
    wait_until(lambda: receiver.frames(slot) >= first + FRAMES_WHILE_OPEN, OPEN_PERIOD,
               "%d pictures at %s while %s" % (FRAMES_WHILE_OPEN, receiver.name, what))
    return (receiver.frames(slot) - first) / (time.monotonic() - started)


def open_in_frame(peer, control, window):
    peer.command("user-click-in-frame " + control)
    wait_showing(peer, window)


def close_window(peer, button, window):
    peer.command("user-click " + button)
    wait_showing(peer, window, shown=False)


def dialogs_keep_the_video_flowing(s, a, b, b_slot):
    """Settings, Video Display Options and the address book, each opened by a click that
    lands inside a frame of A's, five times: B keeps receiving A's video meanwhile."""
    rates = {"settings": [], "video options": [], "address book": []}

    def measure(name):
        rates[name].append(received_rate(b, b_slot, "A's %s is open" % name))

    for _ in range(OPENINGS):
        open_in_frame(a, "btnSettings", "frmSettings")
        measure("settings")
        open_in_frame(a, "frmSettings.btnWebcam", "frmVideoOptions")
        measure("video options")
        close_window(a, "frmVideoOptions.btnClose", "frmVideoOptions")
        close_window(a, "frmSettings.btnClose", "frmSettings")
        open_in_frame(a, "btnIP4", "frmIP")
        measure("address book")
        close_window(a, "frmIP.btnClose", "frmIP")
    for name, seen in rates.items():
        s.log("B receives %s a second while A's %s is open" % (", ".join("%.0f" % r for r in seen), name))


def reset_during_slow_lookup(s, a, b):
    """A dials a name that takes seconds to resolve and presses "Refresh All" meanwhile: when
    B answers, A has no call in that slot and sends B no video."""
    a.enter_text("edt3", "slowb")
    a.command("user-click btnCall3")
    # "Chat" is disabled as the dial begins, before the look-up.
    wait_until(lambda: not a.enabled("btnCall3"), 1, "A's slot 3 to dial")
    a.command("user-click btnRefreshAll")
    b.wait_label("lbl1", a.caller_id + " calling...", int(DNS_DELAY * 1000) + 5000)
    b.click("btnCall1")
    wait_until(lambda: b.peers() == 1, 3, "B's entry for A")
    before = b.frames(1)
    time.sleep(1.5)
    assert b.frames(1) == before, "A sends video to B after its slot was reset"
    assert a.peers() == 0, "A holds %d entries after Refresh All" % a.peers()
    assert a.label("lbl3") == "Offline", "A's slot 3 shows %r" % a.label("lbl3")
    assert not a.enabled("btnStop3") and not a.checked("chk3"), "A's slot 3 looks in a call"
    b.click("btnStop1")
    wait_until(lambda: b.peers() == 0, 3, "B to stop")


def typing_after_chat(s, a):
    """Keys typed right after "Chat" land in no slot's address."""
    texts = {1: "10.77.0.91", 3: "10.77.0.93", 4: "10.77.0.94"}
    for slot, text in texts.items():
        a.enter_text("edt%d" % slot, text)
    a.enter_text("edt2", "10.77.0.92")
    a.command("user-click btnCall2")
    a.command("user-type xyz")
    wait_until(lambda: not a.enabled("btnCall2"), 3, "A's slot 2 to dial")
    time.sleep(0.3)  # the keys are handled after the click
    for slot, text in texts.items():
        shown = a.label("edt%d" % slot)
        assert shown == text, "typing after Chat changed slot %d's address to %r" % (slot, shown)


def silent_bus_scan(s, c):
    """With a bus that never answers, a double-clicked "Who's Online?" opens the network clients
    window once, shows no error, and its wait window is gone before a scan held up by the bus
    would have ended."""
    c.command("click-later btnIP1")
    wait_showing(c, "frmIP")
    clicked = time.monotonic()
    c.command("user-double-click frmIP.btnOnline")
    wait_showing(c, "frmNetworkClients")
    wait_until_time(lambda: not showing(c, "frmExport"), clicked + SCAN_DEADLINE,
                    "the wait window to go")
    s.log("C's scan on a silent bus ended %.2f s after the double click" % (time.monotonic() - clicked))
    assert showing(c, "frmNetworkClients"), "the network clients window is not shown after the scan"
    shown = [box for box in c.boxes() if box["text"] != WEBCAM_NOT_FOUND]  # C has no camera
    assert not shown, "C showed %r" % shown
    close_window(c, "frmNetworkClients.btnAdd", "frmNetworkClients")
    close_window(c, "frmIP.btnClose", "frmIP")


def wrong_moment(s):
    """Clicks and keys at the wrong moment: dialogs opened inside a frame leave the video
    flowing, a slot reset during its own slow look-up stays reset, typing after "Chat" changes
    no other slot, and a double-clicked "Who's Online?" on a silent bus ends in time."""
    from scenarios import settings
    from session import camera, connect, require_cameras

    bus = SilentBus(os.path.join(s.workdir, "silent-bus"))
    dns = SlowDns(s.network, "d", ["a"], {"slowb": s.network.address("b")}, DNS_DELAY)
    try:
        a, b = s.start_all([("a", settings("a"), camera()), ("b", settings("b"), camera())])
        require_cameras([a, b])
        c_settings = settings("c")
        c = Peer("c", s.network.namespace("c"), s.network.address("c"), s.programs["wide"],
                 os.path.join(s.workdir, "c"), c_settings, None,
                 launcher=["ip", "netns", "exec", s.network.namespace("c"), "env",
                           "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + bus.path])
        c.caller_id = c_settings["CallerID"]
        s.peers.append(c)
        c.wait_ready()

        connect(a, 1, b, 1)
        dialogs_keep_the_video_flowing(s, a, b, 1)
        a.click("btnStop1")
        b.click("btnStop1")
        wait_until(lambda: a.peers() == 0 and b.peers() == 0, 3, "the call to end")

        reset_during_slow_lookup(s, a, b)
        typing_after_chat(s, a)
        silent_bus_scan(s, c)
        assert not a.boxes(), "A showed %r" % a.boxes()
    finally:
        dns.close()
        bus.close()
