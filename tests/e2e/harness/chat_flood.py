"""The chat flood: one peer sends chat lines as fast as 2,000 a second for
20 s into a copy that is in a call with it. The copy's own video must keep
flowing (counted at the peer) and the copy must still answer a call request
afterwards. The figures (frame rates, lines shown, memory) are logged; only
what holds on a loaded machine is asserted: frames counted at the peer, not
a rate.

Run as a script, this file is the flood's sender:
    chat_flood.py ADDRESS RATE SECONDS    (prints the number of lines sent)
"""

import os
import socket
import subprocess
import sys
import time

CHAT_PORT = 6767
RATE = 2000     # lines a second
SECONDS = 20


def send_flood(address, rate, seconds):
    """Paced in steps of 5 ms; returns the number of lines sent."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    start = time.monotonic()
    sent = 0
    while True:
        elapsed = time.monotonic() - start
        if elapsed >= seconds:
            break
        due = min(int(elapsed * rate) + 1, rate * seconds)
        while sent < due:
            line = b"Alice <> flood line %06d of the chat list that never ends\0" % sent
            try:
                sock.sendto(line, (address, CHAT_PORT))
            except OSError:
                pass  # a full send buffer: that line is lost, as on a real network
            sent += 1
        time.sleep(0.005)
    return sent


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def frame_rate(peer, slot, seconds):
    before = peer.frames(slot)
    time.sleep(seconds)
    return (peer.frames(slot) - before) / seconds


def chat_flood(s):
    """A floods B's chat port during a call; B's video goes on and B answers C afterwards."""
    # Imported here so that this file also runs alone as the sender.
    from scenarios import settings
    from peer import wait_until
    from session import camera, connect, require_cameras

    a, b, c = s.start_all([(h, settings(h), camera("RGB24", 160, 120)) for h in "abc"])
    require_cameras([a, b, c])
    connect(a, 1, b, 1)  # A shows B's frames in its slot 1
    calm = frame_rate(a, 1, 3)
    s.log("B's video at A before the flood: %.1f frames a second" % calm)
    rss_before = rss_kib(b.process.pid)

    sender = subprocess.Popen(
        ["ip", "netns", "exec", s.network.namespace("a"), sys.executable, os.path.abspath(__file__),
         b.address, str(RATE), str(SECONDS)], stdout=subprocess.PIPE, text=True)
    started = time.monotonic()
    frames_before = a.frames(1)
    # Lines shown in each half of the flood: the intake must not fall as the list grows.
    time.sleep(SECONDS / 2)
    shown_mid, mid = len(b.chat_items()), time.monotonic()
    out, _ = sender.communicate(timeout=SECONDS + 30)
    flood_time = time.monotonic() - started
    during = (a.frames(1) - frames_before) / flood_time
    sent = int(out.strip() or 0)
    shown_end, end = len(b.chat_items()), time.monotonic()
    s.log("A sent %d lines in %.1f s; B's video at A meanwhile: %.1f frames a second"
          % (sent, flood_time, during))
    s.log("B's intake: %.0f lines a second in the first half, %.0f in the second"
          % (shown_mid / (mid - started), (shown_end - shown_mid) / (end - mid)))
    time.sleep(1)  # what is still queued at B
    shown = len(b.chat_items())
    rss_after = rss_kib(b.process.pid)
    s.log("B shows %d of the %d lines (%.0f a second); B's memory grew by %d KiB, %.0f bytes a line"
          % (shown, sent, shown / flood_time, rss_after - rss_before,
             1024.0 * (rss_after - rss_before) / max(shown, 1)))
    after = frame_rate(a, 1, 3)
    s.log("B's video at A after the flood: %.1f frames a second" % after)

    assert sent >= RATE * SECONDS * 9 // 10, "the sender managed only %d lines" % sent
    assert shown > 0, "no flood line reached B's chat list"
    # However slow the machine, B's video reached A during the flood and still does.
    assert during > 0, "B's video stopped during the flood"
    flowing = a.frames(1)
    wait_until(lambda: a.frames(1) >= flowing + 3, 3, "B's video to reach A after the flood")
    # B still answers: C's call rings in B's free slot 2 and is taken.
    connect(c, 1, b, 2, ring_ms=10000)


if __name__ == "__main__":
    print(send_flood(sys.argv[1], int(sys.argv[2]), float(sys.argv[3])))
