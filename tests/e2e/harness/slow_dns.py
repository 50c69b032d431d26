"""A name server that answers late, for a look-up that takes seconds.

    python3 slow_dns.py ADDRESS DELAY NAME=IPV4 [NAME=IPV4 ...]

Listens on ADDRESS port 53 (run it inside a namespace of the test network).
Every question for a known name is answered after DELAY seconds: an A
question with its IPv4 address, any other type with no records; unknown
names get "no such name". Each question is answered on a thread of its own,
so a resolver's parallel questions are all late by DELAY, not by its multiple.
"""

import socket
import struct
import sys
import threading
import time


def parse_question(packet):
    """(id, flags, question bytes, name, type) of a query, or None."""
    if len(packet) < 12:
        return None
    ident, flags, qdcount = struct.unpack("!HHH", packet[:6])
    if qdcount != 1:
        return None
    labels, at = [], 12
    while at < len(packet):
        length = packet[at]
        at += 1
        if length == 0:
            break
        if length > 63 or at + length > len(packet):
            return None
        labels.append(packet[at:at + length].decode("ascii", "replace"))
        at += length
    if at + 4 > len(packet):
        return None
    qtype = struct.unpack("!H", packet[at:at + 2])[0]
    return ident, flags, packet[12:at + 4], ".".join(labels).lower().rstrip("."), qtype


def answer(packet, names):
    parsed = parse_question(packet)
    if parsed is None:
        return None
    ident, flags, question, name, qtype = parsed
    address = names.get(name)
    rcode = 0 if address else 3
    records = b""
    if address and qtype == 1:
        records = b"\xc0\x0c" + struct.pack("!HHIH", 1, 1, 60, 4) + socket.inet_aton(address)
    header = struct.pack("!HHHHHH", ident, 0x8180 | (flags & 0x0100) | rcode, 1,
                         1 if records else 0, 0, 0)
    return header + question + records


def main():
    address, delay = sys.argv[1], float(sys.argv[2])
    names = dict(item.lower().split("=", 1) for item in sys.argv[3:])
    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind((address, 53))

    def reply_later(packet, sender):
        time.sleep(delay)
        response = answer(packet, names)
        if response:
            server.sendto(response, sender)

    print("listening", flush=True)
    while True:
        packet, sender = server.recvfrom(2048)
        threading.Thread(target=reply_later, args=(packet, sender), daemon=True).start()


if __name__ == "__main__":
    main()
