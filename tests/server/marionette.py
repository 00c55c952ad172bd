"""Firefox for the player's browser test, driven by its own remote protocol, Marionette: Debian
packages firefox-esr but no geckodriver. Offers, under selenium's names, the few parts of its
WebDriver the test uses, so that one table of checks runs in both browsers.

Marionette speaks over TCP in messages "LENGTH:JSON", LENGTH the JSON's bytes in decimal. A
command is [0, id, name, parameters], its answer [1, id, error or null, result].
"""
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time

PROTOCOL = 3
# How the WebDriver protocol marks an element reference in JSON.
ELEMENT_KEY = "element-6066-11e4-a52e-4f735466cecf"
PORT_FILE = "MarionetteActivePort"  # where Firefox writes the port it picked for port 0
START_SECONDS = 30

# A quiet profile: no first-run pages, no updates, no telemetry, and nothing reaches another
# host, so that a request leaving the player shows up as a failure, not as Firefox's traffic.
PREFS = {
    "marionette.port": 0,
    # The page's console calls on Firefox's output, the browser's own not.
    "devtools.console.stdout.content": True,
    "devtools.console.stdout.chrome": False,
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.page": 0,
    "browser.startup.homepage_override.mstone": "ignore",
    "startup.homepage_welcome_url": "about:blank",
    "browser.aboutwelcome.enabled": False,
    "app.update.disabledForTesting": True,
    "app.normandy.enabled": False,
    "messaging-system.rsexperimentloader.enabled": False,
    "messaging-system.log": "off",  # or its experiments, unreachable, say so as errors
    "datareporting.policy.dataSubmissionEnabled": False,
    "datareporting.healthreport.uploadEnabled": False,
    "toolkit.telemetry.enabled": False,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "network.trr.mode": 5,
    "network.dns.disablePrefetch": True,
    "network.prefetch-next": False,
    "network.http.speculative-parallel-limit": 0,
    "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False,
    "browser.safebrowsing.downloads.enabled": False,
    "extensions.update.enabled": False,
    # No spare content process made ahead, and one process for the page's single origin: a
    # second less of starting on a busy machine.
    "dom.ipc.processPrelaunch.enabled": False,
    "fission.autostart": False,
    # Every other host through a proxy that is not there (port 9, discard); the loopback
    # server Firefox never sends through a proxy.
    "network.proxy.type": 1,
    "network.proxy.http": "127.0.0.1",
    "network.proxy.http_port": 9,
    "network.proxy.ssl": "127.0.0.1",
    "network.proxy.ssl_port": 9,
    "network.proxy.allow_hijacking_localhost": False,
    # A machine that runs the tests may have no sound device, where Firefox's audio clock
    # never starts (Chromium's headless one runs without): Firefox's own stand-in device. Its
    # autoplay rules stay as an owner has them: Play is pressed by a key the driver sends.
    "media.cubeb.force_mock_context": True,
}

# Marionette runs a script in a sandbox over the page's window, where the names the page's
# scripts declare with const and let are not seen (the page's "card" is then its element of that
# id), and the page's Content-Security-Policy forbids eval. So the script runs from the system
# sandbox through the Debugger, in the page's own global scope, as Chromium runs it.
IN_PAGE = r"""
const [script, args] = arguments;
const {addDebuggerToGlobal} = ChromeUtils.importESModule(
    "resource://gre/modules/jsdebugger.sys.mjs");
addDebuggerToGlobal(globalThis);
const debug = new Debugger();
const page = debug.addDebuggee(window);
try {
  const done = page.executeInGlobalWithBindings(
      `(function() { ${script} }).apply(null, kovraArguments)`,
      {kovraArguments: page.makeDebuggeeValue(
          Cu.cloneInto(args, window, {wrapReflectors: true}))});
  if (!done) throw new Error("the script was ended");
  const value = "throw" in done ? done.throw : done.return;
  const plain = value && value.unsafeDereference ? value.unsafeDereference() : value;
  if ("throw" in done) throw new Error(String(plain));
  return plain;
} finally {
  debug.removeAllDebuggees();
}
"""

# The errors reported in the page's process: its uncaught exceptions and rejections, and what
# its Content-Security-Policy blocked, which Firefox does not print (Chromium logs all three).
REPORTED_ERRORS = r"""
const quiet = Ci.nsIScriptError.warningFlag | Ci.nsIScriptError.infoFlag;
return Services.console.getMessageArray()
    .filter((m) => m instanceof Ci.nsIScriptError && !(m.flags & quiet))
    .map((m) => [m.sourceName, `${m.sourceName}, line ${m.lineNumber}: ${m.errorMessage}`]);
"""

# Where Firefox's own code lives: errors from there are the browser's, not the page's.
BROWSER_SCHEMES = ("resource:", "chrome:", "moz-src:", "moz-extension:", "about:")


class WebDriverException(Exception):
    def __init__(self, error):
        super().__init__(f"{error.get('error')}: {error.get('message')}")
        self.msg = error.get("message", "")


class JavascriptException(WebDriverException):
    pass


class By:
    ID = "id"
    TAG_NAME = "tag name"


class Keys:
    TAB = "\ue004"
    ARROW_RIGHT = "\ue014"


class WebElement:
    def __init__(self, driver, reference):
        self._driver, self.id = driver, reference

    def send_keys(self, *keys):
        self._driver._command("WebDriver:ElementSendKeys", {"id": self.id, "text": "".join(keys)})

    def click(self):
        self._driver._command("WebDriver:ElementClick", {"id": self.id})

    @property
    def text(self):
        return self._driver._command("WebDriver:GetElementText", {"id": self.id})["value"]


class ActionChains:
    """A pointer moved to an offset from an element's centre, as selenium 4 measures it."""

    def __init__(self, driver):
        self._driver, self._steps, self._keys = driver, [], []

    def move_to_element_with_offset(self, element, x, y):
        self._steps.append({"type": "pointerMove", "duration": 0, "x": x, "y": y,
                            "origin": {ELEMENT_KEY: element.id}})
        return self

    def click(self):
        self._steps += [{"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]
        return self

    def send_keys(self, text):
        """Keys pressed wherever the focus is, as the keyboard does (not sent to an element)."""
        for key in text:
            self._keys += [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]
        return self

    def perform(self):
        sources = []
        if self._steps:
            sources.append({"type": "pointer", "id": "mouse",
                            "parameters": {"pointerType": "mouse"}, "actions": self._steps})
        if self._keys:
            sources.append({"type": "key", "id": "keyboard", "actions": self._keys})
        # One source at a time, so that the steps happen in the order the test gave them kinds.
        for source in sources:
            self._driver._command("WebDriver:PerformActions", {"actions": [source]})
        self._driver._command("WebDriver:ReleaseActions")


class Firefox:
    def __init__(self, binary, width, height):
        self._profile = tempfile.mkdtemp(prefix="kovra-firefox.")
        with open(os.path.join(self._profile, "user.js"), "w") as f:
            for name, value in PREFS.items():
                f.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        self._out = os.path.join(self._profile, "stdout.txt")
        self._err = os.path.join(self._profile, "stderr.txt")
        self._process, self._socket, self._last_id = None, None, 0
        try:
            with open(self._out, "wb") as out, open(self._err, "wb") as err:
                self._process = subprocess.Popen(
                    [binary, "--headless", "--marionette", "--no-remote", "--profile",
                     self._profile], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                    env=dict(os.environ, XDG_CACHE_HOME=self._profile))  # none in the home
            self._connect()
            self._command("WebDriver:NewSession", {"capabilities": {}})
            self._command("WebDriver:SetWindowRect", {"width": width, "height": height})
        except BaseException:
            self.quit()
            raise

    def _connect(self):
        port_file = os.path.join(self._profile, PORT_FILE)
        for _ in range(START_SECONDS * 10):
            if self._process.poll() is not None:
                with open(self._err, errors="replace") as err:
                    raise RuntimeError(f"firefox-esr ended with {self._process.returncode} at "
                                       f"its start: {err.read()[-2000:]}")
            try:
                with open(port_file) as f:
                    port = int(f.read())
                break
            except (OSError, ValueError):
                time.sleep(0.1)  # not written yet, or half
        else:
            raise RuntimeError(f"firefox-esr opened no Marionette port in {START_SECONDS} s")
        self._socket = socket.create_connection(("127.0.0.1", port), timeout=START_SECONDS * 2)
        self._reader = self._socket.makefile("rb")
        hello = self._receive()
        if hello.get("marionetteProtocol") != PROTOCOL:
            raise RuntimeError(f"Marionette protocol {hello.get('marionetteProtocol')}, "
                               f"not {PROTOCOL}")

    def _receive(self):
        length = b""
        while not length.endswith(b":"):
            byte = self._reader.read(1)
            if not byte or len(length) > 10:
                raise RuntimeError(f"Marionette closed or garbled its stream after {length!r}")
            length += byte
        return json.loads(self._reader.read(int(length[:-1])))

    def _command(self, name, parameters=None):
        self._last_id += 1
        body = json.dumps([0, self._last_id, name, parameters or {}]).encode()
        self._socket.sendall(str(len(body)).encode() + b":" + body)
        while True:
            kind, answer_id, error, result = self._receive()
            if kind == 1 and answer_id == self._last_id:
                break  # an answer to a command given up on earlier is passed over
        if error:
            raise (JavascriptException if error.get("error") == "javascript error"
                   else WebDriverException)(error)
        return result

    def _wrap(self, value):
        if isinstance(value, WebElement):
            return {ELEMENT_KEY: value.id}
        if isinstance(value, (list, tuple)):
            return [self._wrap(v) for v in value]
        return value

    def _unwrap(self, value):
        if isinstance(value, dict):
            if ELEMENT_KEY in value:
                return WebElement(self, value[ELEMENT_KEY])
            return {k: self._unwrap(v) for k, v in value.items()}
        if isinstance(value, list):
            return [self._unwrap(v) for v in value]
        return value

    def get(self, url):
        self._command("WebDriver:Navigate", {"url": url})

    def execute_script(self, script, *args):
        return self._unwrap(self._command("WebDriver:ExecuteScript", {
            "script": IN_PAGE, "args": [script, self._wrap(args)], "sandbox": "system"})["value"])

    def find_element(self, by, value):
        # WebDriver has no "id" strategy; selenium asks by CSS too.
        using, value = ("css selector", f'[id="{value}"]') if by == By.ID else (by, value)
        found = self._command("WebDriver:FindElement", {"using": using, "value": value})
        return WebElement(self, found["value"][ELEMENT_KEY])

    def get_log(self, kind):
        """The page's errors, as selenium's Chromium log shows them: its console.error calls on
        Firefox's stdout, and the errors its process reported (the browser's own, from its own
        schemes, passed over)."""
        assert kind == "browser"
        with open(self._out, errors="replace") as out:
            entries = [{"level": "SEVERE", "message": line} for line in out.read().splitlines()
                       if line.startswith("console.error:")]
        reported = self._command("WebDriver:ExecuteScript", {
            "script": REPORTED_ERRORS, "args": [], "sandbox": "system"})["value"]
        return entries + [{"level": "SEVERE", "message": message}
                          for source, message in reported
                          if not source.startswith(BROWSER_SCHEMES)]

    def quit(self):
        try:
            if self._socket:
                self._command("Marionette:Quit", {"flags": ["eForceQuit"]})
        except (OSError, RuntimeError, WebDriverException):
            pass  # ended below all the same
        try:
            if self._process and not self._socket:
                self._process.kill()  # no Marionette to ask to quit
            if self._process:
                self._process.wait(timeout=START_SECONDS)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        if self._socket:
            self._socket.close()
        shutil.rmtree(self._profile, ignore_errors=True)
