"""A scenario's run: the network, the peers it started and their clean-up."""

import os
import shutil
import sys
import time

from network import Network
from peer import Peer, wait_until

VIRTUAL_CAMERA_MISSING = ("the virtual camera of platform/videodriver is not built into the peer yet; "
                          "scenarios that need a camera are skipped until it is")


class Skip(Exception):
    """The scenario cannot run here; the reason is printed and ctest counts it skipped."""


def camera(fmt="RGB24", width=160, height=120, *options):
    """The virtual camera setting for one peer: frame layout, size and options."""
    return "%s:%dx%d" % (fmt, width, height) + (":" + ",".join(options) if options else "")


class Session:
    def __init__(self, programs, workdir, hosts):
        self.programs = programs  # layout name ("wide", "compact") -> peer program
        self.workdir = workdir
        self.network = Network(hosts)
        self.peers = []
        self.started = time.monotonic()

    def __enter__(self):
        shutil.rmtree(self.workdir, ignore_errors=True)
        os.makedirs(self.workdir)
        self.network.__enter__()
        return self

    def __exit__(self, kind, value, trace):
        failed = kind is not None and not issubclass(kind, Skip)
        for p in self.peers:
            p.stop()
        if failed:
            for p in self.peers:
                tail = p.log_tail()
                if tail.strip():
                    sys.stdout.write("---- %s (%s) stderr ----\n%s" % (p.name, p.address, tail))
        self.network.__exit__(kind, value, trace)
        return False

    def log(self, text):
        sys.stdout.write("[%5.1f s] %s\n" % (time.monotonic() - self.started, text))
        sys.stdout.flush()

    def start(self, host, settings, camera=None, layout="wide", tag=""):
        """Starts a peer on host (its namespace) with settings and an optional virtual camera."""
        program = self.programs.get(layout) or self.programs["wide"]
        name = host + tag
        peer = Peer(name, self.network.namespace(host), self.network.address(host), program,
                    os.path.join(self.workdir, name), settings, camera)
        peer.caller_id = settings.get("CallerID", peer.address)
        self.peers.append(peer)
        return peer

    def start_all(self, specs):
        """specs: (host, settings, camera[, layout[, tag]]) tuples; returns the peers once all are ready."""
        peers = [self.start(*spec) for spec in specs]
        for p in peers:
            p.wait_ready()
        for p in peers:
            shown = p.label("lblIPAddress")
            if shown != p.address:
                raise AssertionError("%s shows its address as %r, expected %r" % (p.name, shown, p.address))
        return peers

    def retire(self, peers):
        for p in peers:
            p.stop()
            self.peers.remove(p)


def require_cameras(peers):
    """Every peer must have started its virtual camera; skips while none is built."""
    for p in peers:
        if p.camera_started():
            continue
        if p.command("virtual-camera") == 0:
            raise Skip(VIRTUAL_CAMERA_MISSING)
        raise AssertionError("%s: the virtual camera did not start: %s" % (p.name, p.boxes()))


def dial(caller, caller_slot, callee, by_enter=False, online=True):
    """caller types callee's address into the slot's field and presses "Chat" (or Enter);
    online: the slot must show "Online" (an immediate reply may already have replaced it)."""
    edit = "edt%d" % caller_slot
    caller.enter_text(edit, callee.address)
    if by_enter:
        caller.key(edit, "enter")
    else:
        caller.click("btnCall%d" % caller_slot)
    if online:
        shown = caller.label("lbl%d" % caller_slot)
        assert shown == "Online", "%s's slot %d shows %r after dialing" % (caller.name, caller_slot, shown)


# The caller's dial ends 23 s after it was made (a fixed time-out of the
# program's): an Accept that comes later finds the slot reset. On a slow run
# a whole ring and answer can take longer than that.
DIAL_TIME_OUT = 23.0
DIAL_ATTEMPTS = 3


def connect(caller, caller_slot, callee, callee_slot, ring_ms=5000, by_enter=False):
    """caller dials callee from caller_slot; the call rings in callee_slot and is answered
    at once. A dial whose time-out ended it before the answer came is no fault: the callee
    stops its side and the caller dials again, and only an attempt the time-out could not
    have ended is judged."""
    before = (caller.peers(), callee.peers())
    status = "lbl%d" % caller_slot
    for attempt in range(1, DIAL_ATTEMPTS + 1):
        dialed = time.monotonic()
        dial(caller, caller_slot, callee, by_enter, online=False)
        shown = caller.label(status)
        late = time.monotonic() - dialed >= DIAL_TIME_OUT
        assert shown == "Online" or (late and shown == "Offline"), \
            "%s's slot %d shows %r after dialing" % (caller.name, caller_slot, shown)
        callee.wait_label("lbl%d" % callee_slot, caller.caller_id + " calling...", ring_ms)
        shown = callee.label("edt%d" % callee_slot)
        assert shown == caller.address, "%s rings with address %r" % (callee.name, shown)
        callee.click("btnCall%d" % callee_slot)
        wait_until(lambda: callee.peers() == before[1] + 1, 3, "%s's entry for %s" % (callee.name, caller.name))
        answered = time.monotonic() - dialed
        # The caller either takes the Accept, or its time-out has reset the slot.
        wait_until(lambda: caller.peers() == before[0] + 1 or caller.label(status) == "Offline", 3,
                   "%s's entry for %s" % (caller.name, callee.name))
        if caller.peers() == before[0] + 1:
            break
        assert answered >= DIAL_TIME_OUT, \
            "%s's slot %d was reset %.1f s after its dial, before its time-out of %.0f s" % (
                caller.name, caller_slot, answered, DIAL_TIME_OUT)
        if attempt == DIAL_ATTEMPTS:
            raise AssertionError("%s's dial of %s timed out %d times; the last answer came %.1f s after it"
                                 % (caller.name, callee.name, attempt, answered))
        sys.stdout.write("%s answered %.1f s after %s's dial, past its time-out; dialing again\n"
                         % (callee.name, answered, caller.name))
        callee.click("btnStop%d" % callee_slot)
        wait_until(lambda: callee.peers() == before[1], 3, "%s to stop its side" % callee.name)
    for p, slot in ((caller, caller_slot), (callee, callee_slot)):
        assert p.checked("chk%d" % slot), "%s: Include of slot %d not ticked" % (p.name, slot)
        assert p.enabled("btnStop%d" % slot), "%s: Stop of slot %d not enabled" % (p.name, slot)
        assert not p.enabled("btnCall%d" % slot), "%s: Chat of slot %d still enabled" % (p.name, slot)
