"""Network namespaces for end-to-end runs.

Each peer gets a namespace of its own with one interface eth0 (10.77.0.2,
10.77.0.3, ...) on a bridge that lives in a further namespace, so nothing of
the test network touches the machine's own. Every namespace also gets a
hosts file (ip netns exec bind-mounts /etc/netns/<name>/hosts over
/etc/hosts) in which the host name resolves to the namespace's address: the
program takes its own address from its host name.

All names start with tamblin-e2e-<pid>-; namespaces left behind by a run
that was killed are removed by the next run.
"""

import os
import re
import shutil
import socket
import subprocess

PREFIX = "tamblin-e2e-"
SUBNET = "10.77.0."
NETNS_ETC = "/etc/netns"


class NetworkUnavailable(Exception):
    """Namespaces cannot be made here; the run is skipped."""


def run_ip(*args, check=True):
    result = subprocess.run(["ip", *args], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise RuntimeError("ip %s: %s" % (" ".join(args), result.stderr.strip()))
    return result


def check_prerequisites():
    """Raises NetworkUnavailable with the reason when namespaces cannot be made."""
    if shutil.which("ip") is None:
        raise NetworkUnavailable("no 'ip' command (iproute2 is installed by scripts/deps)")
    if os.geteuid() != 0:
        raise NetworkUnavailable("network namespaces need root (CAP_SYS_ADMIN, CAP_NET_ADMIN)")


def _pid_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


def _namespaces():
    result = run_ip("netns", "list", check=False)
    return [line.split()[0] for line in result.stdout.splitlines() if line.strip()]


def _remove_namespace(name):
    run_ip("netns", "del", name, check=False)
    shutil.rmtree(os.path.join(NETNS_ETC, name), ignore_errors=True)


def sweep_stale():
    """Removes namespaces (and hosts files) of earlier runs whose process is gone."""
    pattern = re.compile(r"^" + re.escape(PREFIX) + r"(\d+)-")
    names = set(_namespaces())
    if os.path.isdir(NETNS_ETC):
        names.update(os.listdir(NETNS_ETC))
    for name in sorted(names):
        match = pattern.match(name)
        if match and not _pid_alive(int(match.group(1))):
            _remove_namespace(name)


class Network:
    """A bridge and one namespace per host; use as a context manager."""

    def __init__(self, hosts):
        self.tag = "%s%d-" % (PREFIX, os.getpid())
        self.bridge = self.tag + "br"
        self.hosts = list(hosts)
        self.made = []
        self.host_name = socket.gethostname()

    def namespace(self, host):
        return self.tag + host

    def address(self, host):
        return SUBNET + str(self.hosts.index(host) + 2)

    def __enter__(self):
        try:
            self._add_namespace(self.bridge)
        except RuntimeError as e:
            self.down()
            raise NetworkUnavailable("cannot make a network namespace: %s" % e)
        try:
            run_ip("-n", self.bridge, "link", "set", "lo", "up")
            run_ip("-n", self.bridge, "link", "add", "br0", "type", "bridge")
            run_ip("-n", self.bridge, "link", "set", "br0", "up")
            for host in self.hosts:
                self._add_host(host)
        except BaseException:
            self.down()
            raise
        return self

    def __exit__(self, *exc):
        self.down()
        return False

    def _add_namespace(self, name):
        run_ip("netns", "add", name)
        self.made.append(name)

    def _add_host(self, host):
        ns = self.namespace(host)
        self._add_namespace(ns)
        port = "v" + host
        run_ip("-n", self.bridge, "link", "add", port, "type", "veth", "peer", "name", "eth0", "netns", ns)
        run_ip("-n", self.bridge, "link", "set", port, "master", "br0")
        run_ip("-n", self.bridge, "link", "set", port, "up")
        run_ip("-n", ns, "link", "set", "lo", "up")
        run_ip("-n", ns, "addr", "add", self.address(host) + "/24", "dev", "eth0")
        run_ip("-n", ns, "link", "set", "eth0", "up")
        folder = os.path.join(NETNS_ETC, ns)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "hosts"), "w") as f:
            f.write("127.0.0.1\tlocalhost\n%s\t%s\n" % (self.address(host), self.host_name))

    def down(self):
        for name in reversed(self.made):
            _remove_namespace(name)
        self.made = []
        try:
            os.rmdir(NETNS_ETC)
        except OSError:
            pass
