#!/usr/bin/python3
"""The player as an owner meets it: kovra-cli serve on a card of three consecutive recordings
with sound, the middle one cut by a power cut, asked over HTTP and opened in Debian's Chromium
or Firefox ESR, headless. Every check names the fault it guards against.

    player_browser_test.py KOVRA-CLI [--browser chromium|firefox] [--screenshot PNG]

Chromium through selenium and chromedriver; Firefox through its own Marionette (marionette.py
beside this file), since Debian has no geckodriver. Exit 77 (a visible skip) when the browser,
its driver, selenium or ffmpeg is missing.
"""
import http.client
import io
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import wave
from datetime import datetime

SKIPPED = 77
FPS = 15
RATE = 8000
SECONDS = 3
TIMEOUT = 20
WIDTH, HEIGHT = 320, 240
# Closing times of the three recordings: each starts as the one before ends.
CLOSED = ["2007-10-16 14:02:03", "2007-10-16 14:02:06", "2007-10-16 14:02:09"]


def skip(reason):
    print(f"kovra skipped {reason}")
    sys.exit(SKIPPED)


browser = sys.argv[sys.argv.index("--browser") + 1] if "--browser" in sys.argv else "chromium"
if browser not in ("chromium", "firefox") or (browser == "firefox" and "--screenshot" in sys.argv):
    sys.exit(__doc__)  # the README's picture is Chromium's
if browser == "firefox":
    sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
    from marionette import ActionChains, By, Firefox, JavascriptException, Keys
    tools = ("firefox-esr", "ffmpeg")
else:
    try:
        from selenium import webdriver
        from selenium.common.exceptions import JavascriptException
        from selenium.webdriver.chrome.service import Service
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.by import By
        from selenium.webdriver.common.keys import Keys
    except ImportError:
        skip("python3-selenium is not installed (make test installs it)")
    tools = ("chromium", "chromedriver", "ffmpeg")
for tool in tools:
    if not shutil.which(tool):
        skip(f"{tool} is not installed (make test installs it)")

program = os.path.abspath(sys.argv[1])
screenshot = sys.argv[sys.argv.index("--screenshot") + 1] if "--screenshot" in sys.argv else None
failures = []


def check(label, got, want):
    if got != want:
        failures.append(label)
        print(f"FAIL  {label}: got {got!r}, want {want!r}")


def recording(path, closed, pattern):
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    f"{pattern}=size={WIDTH}x{HEIGHT}:rate={FPS}", "-f", "lavfi", "-i",
                    f"sine=frequency=440:sample_rate={RATE}", "-t", str(SECONDS), "-c:v", "mjpeg",
                    "-q:v", "5", "-c:a", "pcm_s16le", "-ac", "1", path], check=True)
    with open(path, "r+b") as f:
        f.write(b"MARS")
    moment = datetime.strptime(closed, "%Y-%m-%d %H:%M:%S").timestamp()
    os.utime(path, (moment, moment))


def frame_chunks(path):
    """The payloads of the complete 00dc chunks, walked from movi independently of Kovra."""
    data = open(path, "rb").read()
    at = data.index(b"movi") + 4
    frames = []
    while at + 8 <= len(data):
        cid, size = data[at:at + 4], struct.unpack_from("<I", data, at + 4)[0]
        if cid == b"LIST":
            at += 12
            continue
        if at + 8 + size > len(data) or cid == b"idx1":
            break
        if cid.endswith(b"dc"):
            frames.append(data[at + 8:at + 8 + size])
        at += 8 + size + (size & 1)
    return frames


def decoded(jpeg):
    """The RGB bytes ffmpeg decodes a JPEG (or a recorder's frame, tables missing) to."""
    run = subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-f", "mjpeg", "-i", "-",
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], input=jpeg,
                         capture_output=True, check=True)
    return run.stdout


def samples(path, first, count):
    """count mono s16 samples of the video's sound from sample first, as ffmpeg decodes them
    from a copy signed RIFF, as ffmpeg reads it."""
    riff = path + ".riff"
    with open(path, "rb") as f, open(riff, "wb") as out:
        out.write(b"RIFF" + f.read()[4:])
    run = subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-i", riff, "-vn", "-af",
                          f"atrim=start_sample={first}:end_sample={first + count}",
                          "-f", "s16le", "-"], capture_output=True, check=True)
    os.remove(riff)
    return run.stdout


def mean_difference(a, b):
    if len(a) != len(b) or not a:
        return None
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


def ask(port, token, method, target, body=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=TIMEOUT)
    headers = {"Host": f"127.0.0.1:{port}", "Authorization": f"Bearer {token}"}
    if body is not None:
        headers.update({"Content-Type": "application/json", "Origin": f"http://127.0.0.1:{port}"})
    connection.request(method, target, body=body, headers=headers)
    response = connection.getresponse()
    answer = response.status, dict(response.getheaders()), response.read()
    connection.close()
    return answer


def over_http(port, token, card, save, videos):
    """The media routes as a process answers them, judged by ffmpeg and by kovra-cli clip."""
    for video in videos:
        source = os.path.join(card, video["path"])
        chunk = frame_chunks(source)[5]
        status, headers, jpeg = ask(port, token, "GET", f"/api/videos/{video['id']}/frames/5")
        scan = chunk.index(b"\xff\xda")
        check(f"{video['path']} frame 5: the recorder's scan, byte for byte",
              (status, jpeg[:2], jpeg.endswith(chunk[scan:])), (200, b"\xff\xd8", True))
        check(f"{video['path']} frame 5: its time", headers.get("X-Kovra-Frame-Seconds"),
              f"{5 / FPS:.6f}")
        check(f"{video['path']} frame 5: the pixels ffmpeg decodes from the source",
              decoded(jpeg) == decoded(chunk), True)
    first = videos[0]
    status, _, wav = ask(port, token, "GET", f"/api/videos/{first['id']}/sound?from=1&to=2")
    with wave.open(io.BytesIO(wav)) as w:
        got = (w.getframerate(), w.getnchannels(), w.readframes(w.getnframes()))
    check("the sound of 1 s to 2 s: ffmpeg's samples 8000 to 16000", (status, got),
          (200, (RATE, 1, samples(os.path.join(card, first["path"]), RATE, RATE))))

    # A clip across the power cut's boundary, saved by the page's route and by clip.
    start, end = "2007-10-16 14:02:02.000", "2007-10-16 14:02:04.000"
    status, _, body = ask(port, token, "POST", "/api/clips",
                          json.dumps({"start": start, "end": end}).encode())
    saved = json.loads(body).get("path", "") if status == 200 else ""
    reference = os.path.join(os.path.dirname(save), "reference.avi")
    subprocess.run([program, "clip", reference, "--from", card, "--start", start, "--end", end],
                   capture_output=True, check=False)
    check("the saved clip is kovra-cli clip's, byte for byte, in --save",
          (status, os.path.dirname(saved) == "save", os.path.exists(os.path.join(card, "..", saved))
           and open(os.path.join(card, "..", saved), "rb").read() == open(reference, "rb").read()), (200, True, True))


def canvas_rgb(driver):
    pixels = driver.execute_script("""
        // The page's own context: the canvas hands its drawing to an OffscreenCanvas.
        const c = picture.context.canvas;
        const d = picture.context.getImageData(0, 0, c.width, c.height).data;
        const rgb = [];
        for (let i = 0; i < d.length; i += 4) rgb.push(d[i], d[i + 1], d[i + 2]);
        return rgb;""")
    return bytes(pixels)


def wait_for(driver, script, label):
    why = f"waited {TIMEOUT} s"
    for _ in range(TIMEOUT * 10):
        try:
            if driver.execute_script(script):
                return True
        except JavascriptException as error:
            # Before the player's script has run, its names are not yet its own (an element's
            # id stands for "card"), and between the token's page and the player there is none.
            why = f"waited {TIMEOUT} s, the last try: {error.msg}"
        time.sleep(0.1)
    failures.append(label)
    print(f"FAIL  {label}: {why}")
    return False


def click_at(driver, moment_ms, click=True):
    """Clicks the timeline where moment_ms (the page's own clock milliseconds) is drawn, or
    only moves the pointer there."""
    timeline = driver.find_element(By.ID, "timeline-canvas")
    x = driver.execute_script("""
        const box = arguments[0].getBoundingClientRect();
        return (arguments[1] - view.from) / (view.to - view.from) * box.width - box.width / 2;""",
                              timeline, moment_ms)
    actions = ActionChains(driver).move_to_element_with_offset(timeline, round(x), 0)
    (actions.click() if click else actions).perform()


def started_browser():
    if browser == "firefox":
        return Firefox(shutil.which("firefox-esr"), 1100, 1000)
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for argument in ("--headless=new", "--disable-gpu", "--no-first-run", "--no-sandbox",
                     "--disable-background-networking", "--autoplay-policy=no-user-gesture-required",
                     "--window-size=1100,1000"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)


def in_browser(url, port, card, save, videos):
    driver = started_browser()
    try:
        driver.get(url)
        wait_for(driver, "return card.timed.length === 3 && at.recording !== null",
                 "the player lists the card and shows its first recording")
        # Deep enough that a frame is several pixels wide: 12 halvings of a day, about 21 s.
        body = driver.find_element(By.TAG_NAME, "body")
        for _ in range(12):
            body.send_keys("+")
        starts = driver.execute_script("return card.timed.map(r => r.start)")
        second = videos[1]

        # Hovering: the gallery's picture of the moment under the pointer, none over a gap.
        shown = ("const p = document.getElementById('preview'); return !p.hidden && "
                 "document.getElementById('preview-picture').complete && "
                 "document.getElementById('preview-picture').naturalWidth > 0")
        click_at(driver, starts[0] + 1500, click=False)
        wait_for(driver, shown, "a hover over a recording shows its preview, loaded")
        click_at(driver, starts[0] - 2000, click=False)
        wait_for(driver, "return document.getElementById('preview').hidden",
                 "a hover over a gap shows no preview")

        # A click in the cut recording shows the frame drawn there.
        click_at(driver, starts[1] + 1000 + 500 / FPS)
        wait_for(driver, f"return at.recording && at.recording.id === '{second['id']}' && "
                 "at.frame === 15 && frames.shownKey === at.recording.id + '/15'",
                 "a click 1 s into the cut recording shows its frame 15")
        chunks = frame_chunks(os.path.join(card, second["path"]))
        difference = mean_difference(canvas_rgb(driver), decoded(chunks[15]))
        check("the canvas holds ffmpeg's decode of that frame (mean difference under 3)",
              difference is not None and difference < 3, True)

        body.send_keys(Keys.ARROW_RIGHT)
        wait_for(driver, "return frames.shownKey === at.recording.id + '/16'",
                 "→ shows the next frame")
        check("→ steps exactly one frame", driver.execute_script("return at.frame"), 16)
        difference = mean_difference(canvas_rgb(driver), decoded(chunks[16]))
        check("→ draws the next frame's pixels", difference is not None and difference < 3, True)
        check("the playhead, an element over the timeline, moves to the frame → shows",
              driver.execute_script("""
                  const head = document.getElementById('playhead');
                  const box = document.getElementById('timeline-canvas').getBoundingClientRect();
                  const x = (playheadTime() - view.from) / (view.to - view.from) * box.width;
                  return !head.hidden && Math.abs(head.getBoundingClientRect().left + 1 - box.left - x) <= 1;"""),
              True)
        # By keyboard alone: Tab from the control before it reaches the timeline, and → there
        # steps a frame.
        driver.execute_script("document.getElementById('zoom-day').focus()")
        ActionChains(driver).send_keys(Keys.TAB).perform()
        check("Tab reaches the timeline", driver.execute_script("return document.activeElement.id"),
              "timeline")
        ActionChains(driver).send_keys(Keys.ARROW_RIGHT).perform()
        check("→ on the focused timeline steps one frame", driver.execute_script("return at.frame"), 17)

        # Save this frame: the frame shown, its scan as the recorder wrote it.
        driver.find_element(By.ID, "save-frame").click()
        wait_for(driver, "return /^Saved .*jpg|not saved/.test(document.getElementById('status')"
                 ".textContent)", "Save this frame says what it did")
        jpegs = [n for n in os.listdir(save) if n.endswith(".jpg")] if os.path.isdir(save) else []
        scan = chunks[16][chunks[16].index(b"\xff\xda"):]
        check("Save this frame writes the frame shown, the recorder's bytes",
              [open(os.path.join(save, n), "rb").read().endswith(scan) for n in jpegs], [True])

        # Play from just before the first recording ends: picture and sound go on together.
        click_at(driver, starts[1] - 400)
        wait_for(driver, f"return at.recording && at.recording.id === '{videos[0]['id']}'",
                 "a click near the first recording's end shows it")
        # The card's times are whole seconds and its recordings follow on: the second is moved
        # 0.4 s later on the page's timeline for this play, a gap such as a restart leaves.
        driver.execute_script("card.timed[1].start += 400; card.timed[1].end += 400;")
        body.send_keys(" ")
        said = "return document.getElementById('status').textContent"
        check("Play is said in the live region", driver.execute_script(said)[:8], "Playing ")
        crossed = wait_for(driver, f"return playback && at.recording.id === '{second['id']}' "
                           "&& at.frame >= 3", "Play carries the picture into the next recording")
        if crossed:
            check("a gap under a second is said to the millisecond (it was said as \"0 s\")",
                  driver.execute_script(said).split(":")[0], "Skipped a gap of 400 ms")
            state = driver.execute_script("""
                const s = playback.current;
                // What is heard: the output's last timestamp carried on to now.
                const o = audio.getOutputTimestamp();
                const heard = o.contextTime + (performance.now() - o.performanceTime) / 1000;
                const media = s.from + (heard - s.ctxStart) * playback.rate;
                return [s.r.id, Math.abs(media * 1000 / s.r.frameMs - at.frame) <= 2,
                        performance.getEntriesByType('resource').some(
                            e => e.name.includes('/api/videos/' + s.r.id + '/sound'))];""")
            check("the picture follows the sound's clock within a frame or two, its sound asked",
                  state, [str(second["id"]), True, True])
        body.send_keys(" ")
        wait_for(driver, "return !playback && audio.state === 'suspended'",
                 "Pause suspends the sound's output, which else makes silence at a processor's cost")
        driver.execute_script("card.timed[1].start -= 400; card.timed[1].end -= 400;")

        # A browser that never starts sound (Firefox keeps its AudioContext suspended on a
        # machine with no sound device): Play goes on, silent, and says why.
        driver.execute_script("audio = new AudioContext(); audio.suspend(); "
                              "audio.resume = () => new Promise(() => {});")
        click_at(driver, starts[0] + 500)
        body.send_keys(" ")
        wait_for(driver, f"return playback && at.recording.id === '{videos[0]['id']}' && "
                 "at.frame >= 20 && /sound/.test(document.getElementById('status').textContent)",
                 "Play with no sound started runs on, silent, and says so")
        body.send_keys(" ")

        # In and out, then Save: the file clip writes of the marked range.
        click_at(driver, starts[0] + 2000)
        body.send_keys("i")
        check("a mark is said in the live region, a polite one", driver.execute_script(
            said + ".slice(0, 10) + document.getElementById('status').getAttribute('aria-live')"),
            "Clip from polite")
        click_at(driver, starts[1] + 1000)
        body.send_keys("o")
        marks = driver.execute_script("return [clockText(marks.in), clockText(marks.out)]")
        driver.find_element(By.ID, "save-clip").click()
        wait_for(driver, "return /^Saved|not saved/.test(document.getElementById('status')"
                 ".textContent)", "Save this clip says what it did")
        status = driver.find_element(By.ID, "status").text
        saved = [n for n in os.listdir(save) if n.endswith(".avi")] if os.path.isdir(save) else []
        reference = os.path.join(os.path.dirname(save), "marked.avi")
        subprocess.run([program, "clip", reference, "--from", card, "--start", marks[0],
                        "--end", marks[1]], capture_output=True, check=False)
        check("Save this clip writes the marked range as clip does", status.startswith("Saved")
              and any(open(os.path.join(save, n), "rb").read() == open(reference, "rb").read()
                      for n in saved), True)

        errors = [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        check("no console error", errors, [])
        requested = driver.execute_script(
            "return performance.getEntriesByType('resource').map(e => e.name)")
        check("no request leaves the server",
              [r for r in requested if not r.startswith(f"http://127.0.0.1:{port}/")], [])
        if screenshot:
            click_at(driver, starts[1] + 1000)
            # The pointer rests on the timeline: the picture shows its preview, once loaded.
            wait_for(driver, shown, "the preview under the pointer shows before the picture")
            driver.save_screenshot(screenshot)
    finally:
        driver.quit()


def main():
    with tempfile.TemporaryDirectory(prefix="kovra-player-test.") as work:
        card = os.path.join(work, "card")
        os.makedirs(os.path.join(card, "DCIM"))
        for number, (closed, pattern) in enumerate(zip(CLOSED, ["testsrc", "smptebars",
                                                                 "testsrc2"]), 1):
            recording(os.path.join(card, "DCIM", f"MOV{number:04}.avi"), closed, pattern)
        # The middle one cut by a power cut: no index, its last frame cut short.
        cut = os.path.join(card, "DCIM", "MOV0002.avi")
        data = open(cut, "rb").read()
        with open(cut, "wb") as f:
            f.write(data[:data.index(b"idx1") - 100])
        moment = datetime.strptime(CLOSED[1], "%Y-%m-%d %H:%M:%S").timestamp()
        os.utime(cut, (moment, moment))

        save = os.path.join(work, "save")
        # Named from the work folder, so that the page (and the screenshot) shows "card".
        server = subprocess.Popen([program, "serve", "--from", "card", "--save", "save",
                                   "--no-browser"], stdout=subprocess.PIPE, text=True, cwd=work)
        try:
            line = server.stdout.readline().strip()
            url = line.rsplit(" ", 1)[-1]
            port, token = int(url.split(":")[2].split("/")[0]), url.split("token=")[1]
            _, _, body = ask(port, token, "GET", "/api/videos")
            videos = json.loads(body)["videos"]
            check("the listing: three recordings, the cut one repairable",
                  [v["state"] for v in videos], ["ok", "repairable", "ok"])
            if browser == "chromium":
                # The server's answers are the same to any browser: judged in one run.
                over_http(port, token, card, save, videos)
            in_browser(url, port, card, save, videos)
        finally:
            server.send_signal(signal.SIGTERM)
            check("SIGTERM ends the server with 0", server.wait(timeout=TIMEOUT), 0)
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


sys.exit(main())
