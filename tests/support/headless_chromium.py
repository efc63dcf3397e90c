"""Headless Chromium driven over the DevTools protocol on a pipe (Python's standard library
only): open a local page with the network off, evaluate script in it, collect what it asked
for (dialogs, requests, console errors).

    with HeadlessChromium() as browser:
        browser.open("/tmp/page.html")
        browser.evaluate("document.title")
"""
import fcntl
import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.parse

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--disable-extensions", "--disable-default-apps", "--mute-audio"]


def find_chromium():
    return shutil.which("chromium") or shutil.which("chromium-browser")


class BrowserError(Exception):
    pass


class HeadlessChromium:
    def __init__(self, executable=None, window=(1280, 900), timeout=60):
        self.executable = executable or find_chromium()
        self.window = window
        self.timeout = timeout
        self.events = []  # every event of the page's session, in order
        self._replies = {}
        self._incoming = queue.Queue()
        self._next_id = 0

    # --- process and pipe ---

    def __enter__(self):
        self.profile = tempfile.mkdtemp(prefix="veltrano-chromium-")
        commands_read, self._commands = os.pipe()
        self._answers, answers_write = os.pipe()
        # The browser reads commands on descriptor 3 and writes answers on 4.
        keep = [fcntl.fcntl(commands_read, fcntl.F_DUPFD, 10),
                fcntl.fcntl(answers_write, fcntl.F_DUPFD, 10)]

        def descriptors():
            os.dup2(keep[0], 3)
            os.dup2(keep[1], 4)

        self.process = subprocess.Popen(
            [self.executable, *FLAGS, f"--user-data-dir={self.profile}",
             f"--window-size={self.window[0]},{self.window[1]}", "--remote-debugging-pipe",
             "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            close_fds=False, preexec_fn=descriptors)
        for fd in [commands_read, answers_write] + keep:
            os.close(fd)
        threading.Thread(target=self._read, daemon=True).start()
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget",
                                 {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Network", "Log"):
            self.send(f"{domain}.enable")
        self.send("Network.emulateNetworkConditions",
                  {"offline": True, "latency": 0, "downloadThroughput": -1,
                   "uploadThroughput": -1})
        return self

    def __exit__(self, *exc):
        try:
            self.call("Browser.close", timeout=10)
        except Exception:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self._commands)
        os.close(self._answers)
        shutil.rmtree(self.profile, ignore_errors=True)

    def _read(self):
        buffer = b""
        while True:
            try:
                chunk = os.read(self._answers, 1 << 16)
            except OSError:
                chunk = b""
            if not chunk:
                self._incoming.put(None)
                return
            buffer += chunk
            while b"\0" in buffer:
                message, buffer = buffer.split(b"\0", 1)
                self._incoming.put(json.loads(message))

    def _pump(self, deadline):
        left = deadline - time.monotonic()
        if left <= 0:
            raise BrowserError("the browser did not answer in time")
        try:
            message = self._incoming.get(timeout=left)
        except queue.Empty:
            raise BrowserError("the browser did not answer in time")
        if message is None:
            raise BrowserError("the browser closed its pipe")
        if "id" in message:
            self._replies[message["id"]] = message
        else:
            self.events.append(message)

    # --- protocol ---

    def call(self, method, params=None, session=None, timeout=None):
        self._next_id += 1
        ident = self._next_id
        message = {"id": ident, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._commands, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + (timeout or self.timeout)
        while ident not in self._replies:
            self._pump(deadline)
        reply = self._replies.pop(ident)
        if "error" in reply:
            raise BrowserError(f"{method}: {reply['error']}")
        return reply.get("result", {})

    def send(self, method, params=None):
        """A command to the page's session."""
        return self.call(method, params, session=self.session)

    def wait_for_event(self, method, since=0, timeout=None):
        deadline = time.monotonic() + (timeout or self.timeout)
        while True:
            for event in self.events[since:]:
                if event.get("method") == method:
                    return event
            self._pump(deadline)

    def open(self, path):
        """Loads a local file and waits for its load event; returns the wall-clock seconds."""
        url = "file://" + urllib.parse.quote(os.path.abspath(path))
        since = len(self.events)
        started = time.monotonic()
        self.send("Page.navigate", {"url": url})
        self.wait_for_event("Page.loadEventFired", since)
        return time.monotonic() - started

    def evaluate(self, expression):
        """The value of an expression (a promise is awaited); raises on a script error."""
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True})
        if "exceptionDetails" in result:
            raise BrowserError(json.dumps(result["exceptionDetails"])[:2000])
        return result["result"].get("value")

    def screenshot(self, path):
        import base64
        data = self.send("Page.captureScreenshot", {"format": "png",
                                                    "captureBeyondViewport": True})["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def event_methods(self, method):
        return [e for e in self.events if e.get("method") == method]
