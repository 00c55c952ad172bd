#!/usr/bin/python3
"""The gallery as an owner meets it: kovra-cli writes it from recordings ffmpeg makes (sound, cut
by a power cut, unreadable, over two days, with hostile names), and Debian's Chromium, headless
and offline, opens it. Every check names the fault it guards against.

    gallery_browser_test.py native|win32|win64 KOVRA-CLI REPO [--screenshot PNG]

win32/win64 run kovra-cli.exe under Wine (cmake/wine-run.sh), the folders given as Z: paths.
With --screenshot, the demo card's gallery (cmake/demo-card.sh) is also shot into PNG.
Exit 77 (a visible skip) when the browser, its driver, selenium or ffmpeg is missing.
"""
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse
from datetime import datetime, timedelta

SKIPPED = 77
# A phone's narrow screen, and a window wide enough for the screenshot.
PHONE_WIDTH, PHONE_HEIGHT = 390, 844
SHOT_WIDTH, SHOT_HEIGHT = 1100, 1500
TIMELINE_WIDTH = 1000.0
STRIP_FRAMES = 8
RECORDING_SECONDS = 3
HOSTILE_NAMES = ["<img src=x onerror=alert(1)>", "&amp;"]
# Windows keeps no '<' or '>' in a name: its card holds this instead.
WINDOWS_HOSTILE_NAMES = ["x' onmouseover='alert(1)", "&amp;"]


def skip(reason):
    print(f"kovra skipped {reason}")
    sys.exit(SKIPPED)


try:
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service
except ImportError:
    skip("python3-selenium is not installed (make test installs it)")

CHROMIUM = shutil.which("chromium")
DRIVER = shutil.which("chromedriver")
for tool, found in (("chromium", CHROMIUM), ("chromedriver", DRIVER),
                    ("ffmpeg", shutil.which("ffmpeg"))):
    if not found:
        skip(f"{tool} is not installed (make test installs it)")

mode, program, repo = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
screenshot = sys.argv[sys.argv.index("--screenshot") + 1] if "--screenshot" in sys.argv else None
if mode != "native":
    HOSTILE_NAMES = WINDOWS_HOSTILE_NAMES

failures = []


def check(label, condition):
    if not condition:
        failures.append(label)
        print(f"FAIL  {label}")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def kovra(*args):
    """Runs kovra-cli with folders given as paths; returns (rc, stdout)."""
    if mode == "native":
        command = [program, *args]
    else:
        command = ["bash", os.path.join(repo, "cmake/wine-run.sh"), mode, program,
                   *[windows_path(a) if os.path.isabs(a) else a for a in args]]
    run = subprocess.run(command, capture_output=True, text=True)
    if run.stderr.strip():
        print(run.stderr.replace("\r", "").strip())
    return run.returncode, run.stdout.replace("\r", "")


def recording(path, closed, pattern="testsrc", seconds=RECORDING_SECONDS):
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    f"{pattern}=size=320x240:rate=15", "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=8000", "-t", str(seconds), "-c:v", "mjpeg",
                    "-q:v", "5", "-c:a", "pcm_s16le", "-ac", "1", path], check=True)
    with open(path, "r+b") as f:
        f.write(b"MARS")
    stamp(path, closed)


def stamp(path, closed):
    moment = datetime.strptime(closed, "%Y-%m-%d %H:%M:%S").timestamp()
    os.utime(path, (moment, moment))


def make_card(card):
    dcim = os.path.join(card, "DCIM")
    os.makedirs(dcim)
    with open(os.path.join(card, "CONFIG.SYS"), "wb") as f:
        f.write(bytes([1, 1, 0x14, 0, 0x0A, 0, 0x1E, 0, 0x28, 0, 3]))
    with open(os.path.join(card, "TIME.txt"), "wb") as f:
        f.write(bytes([0x20, 0x07, 0x10, 0x16, 0x08, 0x16, 0x47]))
    videos = {
        "MOV0001": ("2007-10-16 08:16:47", "ok"),
        "MOV0002": ("2007-10-16 09:30:00", "repairable"),
        "MOV0004": ("2007-10-17 07:00:00", "ok"),
        HOSTILE_NAMES[0]: ("2007-10-17 07:10:00", "ok"),
        HOSTILE_NAMES[1]: ("2007-10-17 07:20:00", "ok"),
    }
    for name, (closed, _) in videos.items():
        recording(os.path.join(dcim, name + ".avi"), closed)
    # A power cut: cut inside a frame, no index.
    cut = os.path.join(dcim, "MOV0002.avi")
    os.truncate(cut, os.path.getsize(cut) * 3 // 5)
    stamp(cut, videos["MOV0002"][0])
    with open(os.path.join(dcim, "MOV0003.avi"), "wb") as f:
        f.write(b"k" * 4096)
    return videos


def card_digest(card):
    digest = hashlib.sha256()
    for root, _, files in sorted(os.walk(card)):
        for name in sorted(files):
            path = os.path.join(root, name)
            digest.update(path.encode() + open(path, "rb").read() +
                          str(os.stat(path).st_mtime_ns).encode())
    return digest.hexdigest()


def browser(width, height):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-extensions",
                     "--proxy-server=127.0.0.1:9", "--host-resolver-rules=MAP * ~NOTFOUND",
                     "--hide-scrollbars", "--force-device-scale-factor=1",
                     "--font-render-hinting=none", f"--window-size={width},{height}"):
        options.add_argument(argument)
    if os.geteuid() == 0:
        options.add_argument("--no-sandbox")
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    driver.set_window_size(width, height)
    return driver


def file_of(url):
    return urllib.parse.unquote(urllib.parse.urlparse(url).path)


def check_page(driver, page, out, card, videos):
    driver.get("file://" + urllib.parse.quote(page))
    driver.execute_script("return document.readyState")
    # A hostile name that ran as markup would have raised an alert.
    try:
        driver.switch_to.alert
        check("no alert: a hostile name ran as script", False)
    except NoAlertPresentException:
        pass
    errors = [e for e in driver.get_log("browser") if e["level"] in ("SEVERE", "WARNING")]
    check(f"no console error or warning (a broken picture, a refused source): {errors}",
          not errors)
    # Nothing is fetched from outside the gallery's folder and the card: no network at all.
    requested = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            requested.append(message["params"]["request"]["url"])
    requested += driver.execute_script(
        "return performance.getEntriesByType('resource').map(e => e.name)")
    outside = [u for u in requested if not u.startswith("file://") or
               not file_of(u).startswith((out + "/", card + "/"))]
    check(f"every request stays in the gallery's folder: {outside}", not outside)

    # Every picture decodes.
    broken = driver.execute_script("""
        return [...document.images].filter(i => !i.complete || i.naturalWidth === 0)
                                   .map(i => i.getAttribute('src'));""")
    check(f"every picture decodes: {broken}", not broken)
    articles = driver.execute_script("""
        return [...document.querySelectorAll('article.video')].map(a => ({
            id: a.id, name: a.querySelector('h3').textContent,
            state: a.className.replace('video ', ''),
            covers: a.querySelectorAll('.cover img').length,
            strip: a.querySelectorAll('.strip img').length,
            text: a.textContent}));""")
    names = {a["name"]: a for a in articles}
    # The hostile names show as the text they are.
    for name in HOSTILE_NAMES:
        check(f"{name!r} shows as text", "DCIM/" + name + ".avi" in names)
    check("no element came from a name", not driver.execute_script(
        "return document.querySelector('img[src=x]') !== null"))
    for name, (_, state) in videos.items():
        article = names.get("DCIM/" + name + ".avi")
        check(f"{name}: shown", article is not None)
        if not article:
            continue
        check(f"{name}: state {state}", article["state"] == state)
        check(f"{name}: a cover and {STRIP_FRAMES} frames",
              article["covers"] == 1 and article["strip"] == STRIP_FRAMES)
    bad = names.get("DCIM/MOV0003.avi")
    check("the unreadable video: shown with its state, why and no picture",
          bad is not None and bad["state"] == "unreadable" and bad["covers"] == 0 and
          bad["strip"] == 0 and "not" in bad["text"])
    # In time order: the cut recording of the 16th before those of the 17th.
    order = [a["name"] for a in articles]
    check(f"videos in time order: {order}",
          order[:4] == ["DCIM/MOV0001.avi", "DCIM/MOV0002.avi", "DCIM/MOV0004.avi",
                        "DCIM/" + HOSTILE_NAMES[0] + ".avi"])

    # One bar per readable video, at its times, on the day it was recorded.
    days = driver.execute_script("""
        return [...document.querySelectorAll('svg.timeline')].map(s => ({
            from: s.dataset.from, to: s.dataset.to,
            bars: [...s.querySelectorAll('rect.bar')].map(r => ({
                x: r.x.baseVal.value, start: r.dataset.start, end: r.dataset.end,
                href: r.parentNode.getAttribute('href'),
                cls: r.getAttribute('class')}))}));""")
    check(f"two days: {[d['from'] for d in days]}", len(days) == 2)
    bars = [(day, bar) for day in days for bar in day["bars"]]
    check(f"one bar per readable video: {len(bars)}", len(bars) == len(videos))
    by_id = {a["id"]: a for a in articles}
    for day, bar in bars:
        parse = lambda text: datetime.strptime(text, "%Y-%m-%dT%H:%M:%S.%f")
        start, end = parse(bar["start"]), parse(bar["end"])
        span = (parse(day["to"]) - parse(day["from"])).total_seconds()
        article = by_id.get(bar["href"].lstrip("#"))
        check(f"bar {bar['href']} leads to its video", article is not None)
        if not article:
            continue
        name = article["name"][len("DCIM/"):-len(".avi")]
        closed = datetime.strptime(videos[name][0], "%Y-%m-%d %H:%M:%S")
        check(f"{name}: the bar ends when the recorder closed the file", end == closed)
        if videos[name][1] == "ok":
            check(f"{name}: the bar is its length long",
                  end - start == timedelta(seconds=RECORDING_SECONDS))
        else:
            check(f"{name}: a cut recording is shorter", end - start < timedelta(
                seconds=RECORDING_SECONDS))
        expected_x = TIMELINE_WIDTH * (start - parse(day["from"])).total_seconds() / span
        check(f"{name}: the bar at x {expected_x:.1f}, not {bar['x']}",
              abs(bar["x"] - expected_x) < 3.5)
        check(f"{name}: coloured by state", videos[name][1] in bar["cls"])

    # Every link resolves: to an element of the page, or to a file there.
    links = driver.execute_script(
        "return [...document.querySelectorAll('a[href]')].map(a => [a.getAttribute('href'), a.href])")
    for raw, resolved in links:
        if raw.startswith("#"):
            check(f"link {raw} to an element", driver.execute_script(
                "return document.getElementById(arguments[0]) !== null", raw[1:]))
        else:
            check(f"link {raw} is relative", "://" not in raw and not raw.startswith("/"))
            check(f"link {raw} to a file", os.path.isfile(file_of(resolved)))
    return articles


def main():
    work = tempfile.mkdtemp(prefix="kovra-gallery-")
    try:
        card, out = os.path.join(work, "card"), os.path.join(work, "out")
        videos = make_card(card)
        before = card_digest(card)
        rc, stdout = kovra("gallery", out, "--from", card, "--json")
        check(f"gallery: done (rc {rc})", rc == 0)
        first = json.loads(stdout) if rc == 0 else {}
        page = os.path.join(out, "index.html")
        check("the page is there", os.path.isfile(page))
        check("nothing on the card written", card_digest(card) == before)
        driver = browser(SHOT_WIDTH, SHOT_HEIGHT)
        try:
            check_page(driver, page, out, card, videos)
            # On a phone's narrow screen nothing runs off to the side.
            driver.set_window_size(PHONE_WIDTH, PHONE_HEIGHT)
            driver.get("file://" + urllib.parse.quote(page))
            wide = driver.execute_script(
                "return document.documentElement.scrollWidth - window.innerWidth")
            check(f"fits a phone's width ({wide} px over)", wide <= 0)
        finally:
            driver.quit()

        # A second run reads nothing; a video gone takes its pictures with it.
        pictures = sorted(os.listdir(os.path.join(out, "kovra-gallery")))
        rc, stdout = kovra("gallery", out, "--from", card, "--json")
        second = json.loads(stdout) if rc == 0 else {}
        check(f"a second run reuses every picture: {second}",
              second.get("read") == 0 and second.get("reused") == first.get("videos") and
              second.get("picturesWritten") == 0)
        check("the same pictures", sorted(os.listdir(os.path.join(out, "kovra-gallery"))) ==
              pictures)
        os.remove(os.path.join(card, "DCIM", "MOV0004.avi"))
        rc, stdout = kovra("gallery", out, "--from", card, "--json")
        third = json.loads(stdout) if rc == 0 else {}
        check(f"a video gone: its {STRIP_FRAMES + 1} pictures removed: {third}",
              third.get("picturesRemoved") == STRIP_FRAMES + 1)
        # A picture cut short (a power cut before it reached the storage) is made again.
        victim = next(n for n in sorted(os.listdir(os.path.join(out, "kovra-gallery")))
                      if n.endswith("-cover.jpg"))
        os.truncate(os.path.join(out, "kovra-gallery", victim), 10)
        rc, stdout = kovra("gallery", out, "--from", card, "--json")
        fourth = json.loads(stdout) if rc == 0 else {}
        check(f"a picture cut short is made again: {fourth}", fourth.get("read") == 1)
        check("no temporary file left", not [n for n in os.listdir(
            os.path.join(out, "kovra-gallery")) if n.endswith(".kovra-tmp")])

        # Export writes the gallery of its own files: each link leads into DEST, and a second
        # export with nothing new reads no video for it.
        exported = os.path.join(work, "exported")
        kovra("export", exported, "--from", card)
        check("export writes its gallery", os.path.isfile(os.path.join(exported, "index.html")))
        driver = browser(SHOT_WIDTH, SHOT_HEIGHT)
        try:
            driver.get("file://" + urllib.parse.quote(os.path.join(exported, "index.html")))
            files = driver.execute_script("""
                return [...document.querySelectorAll('article.video h3 a')].map(a => a.href)""")
        finally:
            driver.quit()
        check(f"export's gallery links its exported files: {files}", len(files) == 5 and all(
            file_of(f).startswith(exported + "/") and os.path.isfile(file_of(f)) for f in files))
        record = os.path.join(exported, "kovra-gallery", ".kovra-gallery")
        recorded = os.stat(record).st_mtime_ns if os.path.exists(record) else None
        kovra("export", exported, "--from", card)
        check("a second export keeps the gallery's record as it was",
              recorded is not None and os.stat(record).st_mtime_ns == recorded)

        if screenshot:
            demo = os.path.join(work, "demo")
            subprocess.run(["bash", os.path.join(repo, "cmake/demo-card.sh"),
                            os.path.join(demo, "card")], check=True)
            cwd = os.getcwd()
            os.chdir(demo)
            try:
                rc, _ = kovra("gallery", "gallery", "--from", "card")
            finally:
                os.chdir(cwd)
            check("the demo card's gallery", rc == 0)
            driver = browser(SHOT_WIDTH, SHOT_HEIGHT)
            try:
                driver.get("file://" + urllib.parse.quote(os.path.join(demo, "gallery",
                                                                       "index.html")))
                driver.save_screenshot(screenshot)
            finally:
                driver.quit()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


sys.exit(main())
