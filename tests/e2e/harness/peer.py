"""One scripted peer: a tamblin_peer process in a namespace of its own.

The peer's folder holds a hard link (or copy) of the peer program and its
Settings.ini: the program reads its settings beside its executable. Commands
go to the peer's stdin one line each; every command is answered with one
line: "ok", "ok <json>" or "error <json string>".

Every wait here is given as the time its event takes, with room to spare, on
an idle machine; it is allowed SLOWNESS times as long, and ends as soon as
the event comes. So a run under a sanitizer on a busy machine passes where
an idle one does, and a generous deadline costs nothing when things work.
"""

import json
import os
import queue
import shutil
import subprocess
import threading
import time

WEBCAM_NOT_FOUND = "WebCam not found. Please check webcam settings."
VIRTUAL_CAMERA_VARIABLE = "TAMBLIN_VIRTUAL_CAMERA"

# How much slower than an idle machine a run may be. ThreadSanitizer with
# every core busy was measured at about 60 times slower for a call's set-up
# and more for the camera's frame rate (whose waits have room of their own).
SLOWNESS = 30


def patience(seconds):
    """What a wait of seconds on an idle machine is allowed here."""
    return seconds * SLOWNESS


class PeerError(Exception):
    """A command failed or the peer did not answer."""


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_settings(folder, settings):
    """Settings.ini with section "Settings" and the given keys, CR LF line ends."""
    lines = ["[Settings]"] + ["%s=%s" % (k, v) for k, v in settings.items()]
    with open(os.path.join(folder, "Settings.ini"), "w", encoding="latin-1", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


def place_program(program, folder):
    """The peer program inside folder, hard-linked when the file system lets us."""
    target = os.path.join(folder, os.path.basename(program))
    try:
        os.link(program, target)
    except OSError:
        shutil.copy2(program, target)
    return target


class Peer:
    def __init__(self, name, namespace, address, program, folder, settings=None, camera=None, launcher=None):
        self.name = name
        self.address = address
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        if settings is not None:
            write_settings(folder, settings)
        executable = place_program(program, folder)
        env = dict(os.environ)
        env["QT_QPA_PLATFORM"] = "offscreen"
        env.pop(VIRTUAL_CAMERA_VARIABLE, None)
        if camera:
            env[VIRTUAL_CAMERA_VARIABLE] = camera
        self.log_path = os.path.join(folder, "peer.log")
        self._log = open(self.log_path, "w")
        self._answers = queue.Queue()
        self.process = subprocess.Popen(
            (launcher or ["ip", "netns", "exec", namespace]) + [executable],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._log,
            cwd=folder, env=env)
        self._reader = threading.Thread(target=self._read_answers, daemon=True)
        self._reader.start()

    def _read_answers(self):
        for raw in self.process.stdout:
            self._answers.put(raw.decode("latin-1").rstrip("\r\n"))
        self._answers.put(None)

    def _next_answer(self, timeout, what):
        try:
            line = self._answers.get(timeout=timeout)
        except queue.Empty:
            raise PeerError("%s: no answer to %r within %.1f s" % (self.name, what, timeout))
        if line is None:
            raise PeerError("%s: the peer ended (exit %s) during %r" % (self.name, self.process.poll(), what))
        return line

    def wait_ready(self, timeout=10):
        line = self._next_answer(patience(timeout), "start-up")
        if line != "ready":
            raise PeerError("%s: expected ready, got %r" % (self.name, line))

    def command(self, line, timeout=15):
        try:
            self.process.stdin.write((line + "\n").encode("latin-1"))
            self.process.stdin.flush()
        except (BrokenPipeError, OSError) as e:
            raise PeerError("%s: cannot send %r: %s" % (self.name, line, e))
        answer = self._next_answer(patience(timeout), line)
        if answer == "ok":
            return None
        if answer.startswith("ok "):
            return json.loads(answer[3:])
        if answer.startswith("error "):
            raise PeerError("%s: %s -> %s" % (self.name, line, json.loads(answer[6:])))
        raise PeerError("%s: %s -> unexpected answer %r" % (self.name, line, answer))

    # ---- user actions ----
    def click(self, control):
        self.command("click " + control)

    def type(self, control, text):
        """Types text at the caret of control."""
        self.command("type %s %s" % (control, quote(text)))

    def enter_text(self, control, text):
        """Replaces control's text as a user does: select all, then type."""
        self.key(control, "ctrl+a")
        self.type(control, text)

    def key(self, control, key):
        self.command("key %s %s" % (control, key))

    def tick(self, control, value):
        self.command("tick %s %d" % (control, 1 if value else 0))

    # ---- what the window shows ----
    def label(self, control):
        return self.command("label " + control)

    def enabled(self, control):
        return self.command("enabled " + control) == 1

    def checked(self, control):
        return self.command("checked " + control) == 1

    def frames(self, slot):
        return self.command("frames %d" % slot)

    def picture(self, slot):
        return self.command("picture %d" % slot)

    def chat_items(self):
        return self.command("chat-items")

    def peers(self):
        return self.command("peers")

    def quality(self):
        return self.command("quality")

    def boxes(self):
        return self.command("boxes")

    def wait_label(self, control, text, ms=5000):
        """Waits until control shows text; ms as for an idle machine. The peer gives up after
        its patience, and its answer is allowed that and a command's time on top."""
        self.command("wait-label %s %s %d" % (control, quote(text), patience(ms)), timeout=ms / 1000 + 15)

    def camera_started(self):
        """True when the start-up found a camera (no "WebCam not found" box)."""
        return not any(b["text"] == WEBCAM_NOT_FOUND for b in self.boxes())

    def log_tail(self, lines=15):
        try:
            with open(self.log_path, errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""

    def stop(self, timeout=3):
        if self.process.poll() is None:
            try:
                self.command("quit", timeout=timeout)
            except PeerError:
                pass
            try:
                self.process.wait(timeout=patience(timeout))
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self._log.close()


def wait_until(condition, timeout, what, interval=0.05):
    """Polls condition() until it returns a true value; raises PeerError once the
    patience for timeout (seconds on an idle machine) has run out."""
    return wait_until_time(condition, time.monotonic() + patience(timeout), what, interval)


def wait_until_time(condition, deadline, what, interval=0.05):
    """Polls condition() until it returns a true value; raises PeerError at deadline
    (time.monotonic()). For a bound that is itself the point of the check."""
    started = time.monotonic()
    while True:
        last = condition()
        if last:
            return last
        if time.monotonic() >= deadline:
            raise PeerError("timed out after %.1f s waiting for %s" % (time.monotonic() - started, what))
        time.sleep(interval)
