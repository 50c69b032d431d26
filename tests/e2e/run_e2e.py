#!/usr/bin/env python3
"""Runs one end-to-end scenario: scripted peers in network namespaces of their
own, talking over real UDP.

    run_e2e.py --peer build/tests/e2e/tamblin_peer [--compact-peer ...] --work DIR SCENARIO

Exit status: 0 passed, 1 failed, 77 skipped (namespaces cannot be made here,
or the scenario needs a part of the program that is not built yet).
"""

import argparse
import os
import signal
import sys
import traceback

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "harness"))

from network import NetworkUnavailable, check_prerequisites, sweep_stale  # noqa: E402
from peer import PeerError  # noqa: E402
from scenarios import SCENARIOS  # noqa: E402
from session import Session, Skip  # noqa: E402

SKIPPED = 77


def on_signal(number, frame):
    # Turns ctest's (or a user's) stop into an exception, so that the
    # namespaces and peers are cleaned up on the way out.
    raise KeyboardInterrupt("signal %d" % number)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--peer", required=True, help="the scripted peer program (wide layout)")
    parser.add_argument("--compact-peer", help="the scripted peer with the compact layout")
    parser.add_argument("--work", required=True, help="folder for the peers' folders and logs")
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    args = parser.parse_args()

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    programs = {"wide": os.path.abspath(args.peer)}
    if args.compact_peer and os.path.exists(args.compact_peer):
        programs["compact"] = os.path.abspath(args.compact_peer)
    if not os.path.exists(programs["wide"]):
        print("SKIP: the scripted peer %s is not built" % programs["wide"])
        return SKIPPED

    try:
        check_prerequisites()
        sweep_stale()
    except NetworkUnavailable as e:
        print("SKIP: %s" % e)
        return SKIPPED

    hosts, scenario = SCENARIOS[args.scenario]
    workdir = os.path.join(os.path.abspath(args.work), args.scenario)
    try:
        with Session(programs, workdir, hosts) as session:
            session.log("scenario %s: %s" % (args.scenario, (scenario.__doc__ or "").strip().splitlines()[0]))
            scenario(session)
            session.log("passed")
        return 0
    except (Skip, NetworkUnavailable) as e:
        print("SKIP: %s" % e)
        return SKIPPED
    except (AssertionError, PeerError) as e:
        print("FAILED: %s" % (e or "assertion failed"))
        traceback.print_exc(file=sys.stdout)
        return 1
    except KeyboardInterrupt as e:
        print("INTERRUPTED: %s" % e)
        return 1


if __name__ == "__main__":
    sys.exit(main())
