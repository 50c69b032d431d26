"""Hosts of an ordinary LAN of desktops, for the scenario lan_names.

Each host's namespace gets what a desktop installation has: its own host
name (a UTS namespace), a hosts file that maps that name to 127.0.1.1, and a
system bus with an avahi daemon of its own, in the distribution's default
configuration (workstations not announced). The daemons live in a mount
namespace of the host's own with a fresh /run, so they do not meet the
machine's daemons or each other but over the namespaces' network. Peers are
started inside that namespace (nsenter), where the program finds its bus.
"""

import os
import signal
import subprocess
import time

from peer import Peer, PeerError, patience, wait_until

# Started with ip netns exec inside unshare --mount --uts: $1 is the host name.
HOST_SCRIPT = r"""
set -e
hostname "$1"
mount -t tmpfs -o mode=755 tmpfs /run
mkdir -p /run/dbus /run/avahi-daemon
dbus-daemon --system --nofork --nopidfile &
i=0
while [ ! -S /run/dbus/system_bus_socket ]; do
  i=$((i + 1)); [ $i -lt 200 ] || { echo "no system bus" >&2; exit 1; }
  sleep 0.05
done
avahi-daemon &
wait
"""
BUS = "unix:path=/run/dbus/system_bus_socket"
STARTED = "Server startup complete"


class LanHosts:
    """Desktop hosts in the namespaces of network; use as a context manager."""

    def __init__(self, network, hosts, workdir):
        self.network = network
        self.hosts = hosts
        self.workdir = workdir
        self.keepers = {}

    @staticmethod
    def host_name(host):
        return "host" + host

    def __enter__(self):
        try:
            for host in self.hosts:
                self._start(host)
            for host in self.hosts:
                log = os.path.join(self.workdir, "avahi-%s.log" % host)
                wait_until(lambda: STARTED in open(log, errors="replace").read(), 15,
                           "the avahi daemon of %s to start (see %s)" % (host, log))
        except BaseException:
            self.down()
            raise
        return self

    def __exit__(self, *exc):
        self.down()
        return False

    def _start(self, host):
        ns = self.network.namespace(host)
        with open(os.path.join("/etc/netns", ns, "hosts"), "w") as f:
            f.write("127.0.0.1\tlocalhost\n127.0.1.1\t%s\n" % self.host_name(host))
        log = open(os.path.join(self.workdir, "avahi-%s.log" % host), "w")
        # A session of its own: the keeper and its daemons end together.
        self.keepers[host] = subprocess.Popen(
            ["ip", "netns", "exec", ns, "unshare", "--mount", "--uts", "--propagation", "private",
             "sh", "-c", HOST_SCRIPT, "sh", self.host_name(host)],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
        log.close()

    def launcher(self, host):
        """The command prefix that runs a program on host."""
        pid = str(self.keepers[host].pid)
        return ["nsenter", "-t", pid, "-m", "-u", "-n", "--", "env", "DBUS_SYSTEM_BUS_ADDRESS=" + BUS]

    def start_peer(self, session, host, settings, camera):
        program = session.programs["wide"]
        peer = Peer(host, self.network.namespace(host), self.network.address(host), program,
                    os.path.join(self.workdir, host), settings, camera, launcher=self.launcher(host))
        peer.caller_id = peer.address  # the default caller ID: the address the program shows
        session.peers.append(peer)
        return peer

    def down(self):
        for keeper in self.keepers.values():
            if keeper.poll() is None:
                try:
                    os.killpg(keeper.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    keeper.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(keeper.pid, signal.SIGKILL)
                    keeper.wait()
        self.keepers = {}


HOST_LINE = "Host Name and Connection Path: \\\\"


def who_is_online(peer, slot, timeout=15):
    """Opens the address book of a slot and its "Who's Online?"; returns the list once the scan
    has ended, and how long that took."""
    peer.command("click-later btnIP%d" % slot)
    wait_until(lambda: peer.command("showing frmIP") == 1, 5, "%s's address book to open" % peer.name)
    started = time.monotonic()
    peer.command("click-later frmIP.btnOnline")
    wait_until(lambda: peer.command("showing frmNetworkClients") == 1, 5, "the network clients window")
    wait_until(lambda: peer.command("showing frmExport") == 0, timeout, "the scan to end")
    return peer.command("items frmNetworkClients.ListBox1"), time.monotonic() - started


def add_host_names(peer):
    """"Add Host Names To List", then the wait until the network clients window has closed: the
    contacts are in the address book before it has, and until then it is the modal window, on
    which a click on the address book goes nowhere."""
    peer.click("frmNetworkClients.btnAdd")
    wait_until(lambda: peer.command("showing frmNetworkClients") == 0, 5,
               "%s's network clients window to close" % peer.name)


def lan_names(s):
    """Two desktops as a distribution installs them (host name on 127.0.1.1, avahi's default
    settings): each shows its LAN address, A dials B by its bare computer name, "Who's Online?"
    lists B, and the contact it adds calls B."""
    from session import camera, require_cameras

    with LanHosts(s.network, ["a", "b"], s.workdir) as lan:
        a = lan.start_peer(s, "a", None, camera())
        b = lan.start_peer(s, "b", None, camera())
        try:
            for p in (a, b):
                p.wait_ready()
            require_cameras([a, b])
            for p in (a, b):
                shown = p.label("lblIPAddress")
                assert shown == p.address, "%s shows its address as %r, not %r" % (p.name, shown, p.address)

            # By the bare computer name; the caller ID B sees is A's LAN address.
            a.enter_text("edt1", lan.host_name("b"))
            a.click("btnCall1")
            assert a.label("lbl1") == "Online", "A's slot 1 after dialing hostb: %r; boxes %r" % (
                a.label("lbl1"), a.boxes())
            assert a.label("edt1") == b.address, "hostb resolved to %r" % a.label("edt1")
            b.wait_label("lbl1", a.address + " calling...", 5000)
            assert b.label("edt1") == a.address
            b.click("btnCall1")
            wait_until(lambda: a.peers() == 1 and b.peers() == 1, 3, "the call by name to connect")
            a.click("btnStop1")
            b.click("btnStop1")
            wait_until(lambda: a.peers() == 0 and b.peers() == 0, 3, "both to stop")

            items, took = who_is_online(a, 2)
            s.log("A's scan took %.2f s and lists %r" % (took, items))
            host_b = HOST_LINE + lan.host_name("b")
            assert host_b in items, "B is not listed: %r" % items
            at = items.index(host_b)
            assert items[at - 1] == "Computer Name: " + lan.host_name("b"), items
            assert items[at + 1] == "Network Provider: DNS-SD Network", items

            add_host_names(a)
            contact = "%s <%s>" % (lan.host_name("b"), b.address)
            assert contact in a.command("items frmIP.ListBox1"), "A's address book lacks %r" % contact
            a.command('select frmIP.ListBox1 "%s"' % contact)
            a.click("frmIP.btnInsert")
            wait_until(lambda: a.label("edt2") == b.address, 5, "the contact's address in A's slot 2")
            a.click("btnCall2")
            b.wait_label("lbl1", a.address + " calling...", 5000)
            b.click("btnCall1")
            wait_until(lambda: a.peers() == 1 and b.peers() == 1, 3, "the call to the contact to connect")
            assert not a.boxes() and not b.boxes(), (a.boxes(), b.boxes())

            # B's copy ends: its computer leaves the neighbourhood with it, once
            # the daemons' caches have let go of it (a second after its goodbye).
            s.retire([b])
            gone = time.monotonic()
            items, took = who_is_online(a, 3)
            while host_b in items and time.monotonic() < gone + patience(6):
                a.click("frmNetworkClients.SpeedButton1")  # "Refresh List"
                items = a.command("items frmNetworkClients.ListBox1")
            s.log("%.2f s after B ended, A lists %r" % (time.monotonic() - gone, items))
            assert HOST_LINE + lan.host_name("a") in items and host_b not in items, items
            add_host_names(a)
            a.click("frmIP.btnClose")
        finally:
            s.retire([p for p in (a, b) if p in s.peers])
