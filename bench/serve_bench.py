#!/usr/bin/python3
"""kovra-cli serve as a process, as an owner's browser meets it: its start-up on a card of 500
recordings, a frame at random times over a card of 200 (every tenth cut by a power cut) asked
over one keep-alive connection, a minute saved by POST /api/clips against cp of a file of its
size in alternating rounds, its peak memory and page faults; then, in headless Chromium, a click
on the timeline to the frame drawn, and the processor time of playing.

    serve_bench.py KOVRA-CLI            (make bench runs it with build/bench/kovra-cli)
    serve_bench.py --play N KOVRA-CLI [OTHER-KOVRA-CLI...]
                                        only the clicks and the play, N rounds, each program in
                                        turn in each round with a fresh server and Chromium, and
                                        the medians; to weigh a change to the page side by side

Standard library only, and Debian's python3-selenium for the browser's part, which is skipped
with its reason when Chromium, its driver or selenium is missing.
"""
import ctypes
import http.client
import json
import os
import random
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

FPS = 15
RATE = 8000
SIZE = "640x480"
DESCRIPTION = f"{SIZE} {FPS} fps MJPEG, {RATE // 1000} kHz mono 16-bit PCM"
SHORT_SECONDS = 4       # the copies that fill the cards: short, so that making them is quick
LONG_SECONDS = 45       # the two recordings a minute is saved across
STARTUP_FILES = 500
FRAME_FILES = 200       # of which the last two are the long recordings
CUT_EVERY = 10
CUT_AT = 0.6            # a power cut leaves 60 % of the file, without its index
FRAME_REQUESTS = 2000
STARTUP_RUNS = 5
CLIP_ROUNDS = 21       # a save takes under a tenth of a second: more rounds steady its median
CLICKS = 60
PLAY_SECONDS = 10
TIMEOUT = 20
SEED = 26
# The recorder's clock, read as UTC (the server runs with TZ=UTC): the short copies close 4 s
# apart from here, and the long pair on the day after.
SHORT_CLOSED = 1192536000      # 2007-10-16 12:00:00
LONG_CLOSED = 1192631100       # 2007-10-17 14:25:00, the first long one; the second 45 s later
CLIP_START, CLIP_END = "2007-10-17 14:24:30.000", "2007-10-17 14:25:30.000"

GOALS = {"startup": 1.0, "p95": 5.0, "peak": 30.0, "clip": 1.3, "click": 100.0,
         "server_cpu": 0.02, "page_cpu": 0.2}
TICKS = os.sysconf("SC_CLK_TCK")
libc = ctypes.CDLL(None, use_errno=True)


def verdict(met):
    return "met" if met else "MISSED"


def load_average():
    return open("/proc/loadavg").read().split()[0]


def percentile(values, share):
    ordered = sorted(values)
    return ordered[int(share * (len(ordered) - 1))] if ordered else 0.0


def stat_fields(pid):
    """utime+stime in seconds and the minor and major page faults of a process, from its stat."""
    text = open(f"/proc/{pid}/stat").read()
    fields = text[text.rindex(")") + 2:].split()  # the name may hold spaces; fields from state
    minor, major = int(fields[7]), int(fields[9])
    cpu = (int(fields[11]) + int(fields[12])) / TICKS
    return cpu, minor, major


def peak_mib(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) / 1024
    return 0.0


def settle(folder):
    """Flushes what the folder's file system holds dirty, so that no side pays for another's
    writes."""
    fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
    try:
        libc.syncfs(fd)
    finally:
        os.close(fd)


# ---- The cards ----

def make_recording(path, seconds):
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    f"testsrc=size={SIZE}:rate={FPS}", "-f", "lavfi", "-i",
                    f"sine=frequency=440:sample_rate={RATE}", "-t", str(seconds), "-c:v",
                    "mjpeg", "-q:v", "5", "-c:a", "pcm_s16le", "-ac", "1", path], check=True)
    data = bytearray(open(path, "rb").read())
    data[:4] = b"MARS"  # as the recorder signs them
    return bytes(data)


def write_recording(path, data, closed):
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (closed, closed))


def make_cards(work):
    """card500/DCIM: 500 short copies, every tenth cut; card200/DCIM: the first 198 of them,
    linked, and two long recordings one after the other, for the minute to save."""
    short = make_recording(os.path.join(work, "short.avi"), SHORT_SECONDS)
    cut = short[:int(len(short) * CUT_AT)]
    long = make_recording(os.path.join(work, "long.avi"), LONG_SECONDS)
    big, small = os.path.join(work, "card500", "DCIM"), os.path.join(work, "card200", "DCIM")
    os.makedirs(big)
    os.makedirs(small)
    total = 0
    for i in range(1, STARTUP_FILES + 1):
        data = cut if i % CUT_EVERY == 0 else short
        write_recording(os.path.join(big, f"MOV{i:04}.avi"), data,
                        SHORT_CLOSED + i * SHORT_SECONDS)
        total += len(data)
    for i in range(1, FRAME_FILES - 1):
        os.link(os.path.join(big, f"MOV{i:04}.avi"), os.path.join(small, f"MOV{i:04}.avi"))
    for k in range(2):
        write_recording(os.path.join(small, f"MOV{FRAME_FILES - 1 + k:04}.avi"), long,
                        LONG_CLOSED + k * LONG_SECONDS)
    return total, len(short), len(long)


# ---- The server ----

class Server:
    def __init__(self, program, work, card):
        self.started = time.perf_counter()
        self.process = subprocess.Popen([program, "serve", "--from", card, "--save", "save",
                                         "--no-browser"], stdout=subprocess.PIPE, text=True,
                                        cwd=work, env=dict(os.environ, TZ="UTC"))
        line = self.process.stdout.readline().strip()
        self.url_seconds = time.perf_counter() - self.started
        if not line.startswith("Kovra serves the card at "):
            raise RuntimeError(f"kovra-cli serve printed {line!r}")
        self.url = line.rsplit(" ", 1)[-1]
        self.port = int(self.url.split(":")[2].split("/")[0])
        self.token = self.url.split("token=")[1]
        self.connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=TIMEOUT)

    @property
    def pid(self):
        return self.process.pid

    def ask(self, method, target, body=None):
        headers = {"Host": f"127.0.0.1:{self.port}", "Authorization": f"Bearer {self.token}"}
        if body is not None:
            headers.update({"Content-Type": "application/json",
                            "Origin": f"http://127.0.0.1:{self.port}"})
        self.connection.request(method, target, body=body, headers=headers)
        response = self.connection.getresponse()
        return response.status, response.read()

    def stop(self):
        self.connection.close()
        self.process.send_signal(signal.SIGTERM)
        return self.process.wait(timeout=TIMEOUT)


def startup(program, work):
    """Item 1: from the process's start to its URL line, and to its first listing answered."""
    to_url, to_listing, listed = [], [], 0
    for _ in range(STARTUP_RUNS):
        server = Server(program, work, "card500")
        status, body = server.ask("GET", "/api/videos")
        to_listing.append(time.perf_counter() - server.started)
        to_url.append(server.url_seconds)
        listed = len(json.loads(body)["videos"]) if status == 200 else -1
        server.stop()
    url, listing = statistics.median(to_url), statistics.median(to_listing)
    print(f"start-up on {STARTUP_FILES} recordings ({STARTUP_FILES // CUT_EVERY} cut), "
          f"{listed} listed; medians of {STARTUP_RUNS} runs, the card in the page cache:")
    print(f"  to the URL line {url:.3f} s (slowest {max(to_url):.3f} s); to the first "
          f"/api/videos answer {listing:.3f} s (slowest {max(to_listing):.3f} s) "
          f"(goal: under {GOALS['startup']:.0f} s: {verdict(listing < GOALS['startup'])})")


def frame_requests(server, videos):
    """Item 2: a frame at a random moment of a random recording, over one keep-alive
    connection; the round trip as the client sees it."""
    chance = random.Random(SEED)
    times, size = [], 0
    _, minor0, major0 = stat_fields(server.pid)
    for _ in range(FRAME_REQUESTS):
        video = chance.choice(videos)
        n = chance.randrange(video["frames"])
        began = time.perf_counter()
        status, body = server.ask("GET", f"/api/videos/{video['id']}/frames/{n}")
        times.append((time.perf_counter() - began) * 1000)
        if status != 200:
            raise RuntimeError(f"frame {n} of {video['path']}: HTTP {status}")
        size += len(body)
    _, minor1, major1 = stat_fields(server.pid)
    p95 = percentile(times, 0.95)
    cut = sum(1 for v in videos if v["state"] != "ok")
    print(f"frames over HTTP on a card of {len(videos)} recordings ({cut} cut): {DESCRIPTION}")
    print(f"  {FRAME_REQUESTS} requests at random times on one keep-alive connection, the round "
          f"trip including this Python client: p50 {percentile(times, 0.5):.3f} ms, p95 "
          f"{p95:.3f} ms (goal: under {GOALS['p95']:.0f} ms: {verdict(p95 < GOALS['p95'])}), "
          f"p99 {percentile(times, 0.99):.3f} ms, max {max(times):.3f} ms; "
          f"{size / 1024 / FRAME_REQUESTS:.1f} KiB a frame")
    print(f"  the server's page faults {(minor1 - minor0) / FRAME_REQUESTS:.2f} + "
          f"{(major1 - major0) / FRAME_REQUESTS:.2f} major a request")


def timed_process(command):
    """Wall seconds and the page faults of a command run as a process."""
    began = time.perf_counter()
    process = subprocess.Popen(command)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    seconds = time.perf_counter() - began
    if process.returncode != 0:
        raise RuntimeError(f"{command} failed with {process.returncode}")
    return seconds, usage.ru_minflt, usage.ru_majflt


def save_clip(server, work, program):
    """Item 4: POST /api/clips of a minute across two recordings against cp of a file of its
    size and kovra-cli clip, each flushing its output, in alternating rounds."""
    save = os.path.join(work, "save")
    out = os.path.join(work, "out.avi")
    body = json.dumps({"start": CLIP_START, "end": CLIP_END}).encode()

    def fresh():
        for name in os.listdir(save) if os.path.isdir(save) else []:
            os.remove(os.path.join(save, name))
        if os.path.exists(out):
            os.remove(out)
        settle(work)

    def post():
        _, minor0, major0 = stat_fields(server.pid)
        began = time.perf_counter()
        status, answer = server.ask("POST", "/api/clips", body)
        seconds = time.perf_counter() - began
        _, minor1, major1 = stat_fields(server.pid)
        if status != 200:
            raise RuntimeError(f"POST /api/clips: HTTP {status}: {answer[:200]!r}")
        return seconds, minor1 - minor0, major1 - major0, json.loads(answer)

    # A file of the clip's size, read from the page cache as the clip's sources are.
    fresh()
    kept = os.path.join(work, "clip-kept.avi")
    shutil.copyfile(os.path.join(work, post()[3]["path"]), kept)
    clip_size = os.path.getsize(kept)
    sides = {
        "POST /api/clips (60 s over two recordings; the round trip)": lambda: post()[:3],
        "cp FILE OUT && sync OUT (a file of the clip's size)":
            lambda: timed_process(["sh", "-c", f"cp '{kept}' '{out}' && sync '{out}'"]),
        "kovra-cli clip OUT --start --end (the same minute, as a process)":
            lambda: timed_process(["sh", "-c", f"TZ=UTC '{program}' clip '{out}' --from "
                                   f"'{work}/card200' --start '{CLIP_START}' --end '{CLIP_END}' "
                                   ">/dev/null"]),
    }
    figures = {name: [] for name in sides}
    for round_ in range(CLIP_ROUNDS + 1):
        for name, run in sides.items():
            fresh()
            measured = run()
            if round_ > 0:  # the first round warms the page cache and is not counted
                figures[name].append(measured)
    print(f"save a minute: two {LONG_SECONDS} s \"MARS\" recordings one after the other, 60 s "
          f"from 15 s into the first, {clip_size / 1024 / 1024:.1f} MiB written; every side "
          f"reads from the page cache and flushes its output")
    wall, fastest = {}, {}
    for name, runs in figures.items():
        wall[name] = statistics.median(r[0] for r in runs)
        fastest[name] = min(r[0] for r in runs)
        print(f"  {name:<68} {wall[name]:.3f} s (fastest {fastest[name]:.3f} s; "
              f"page faults {statistics.median(r[1] for r in runs):.0f} + "
              f"{statistics.median(r[2] for r in runs):.0f} major)")
    print(f"  (medians of {CLIP_ROUNDS} alternating rounds after a first that is not counted; "
          f"the POST's page faults are the server's, the others' their processes')")
    names = list(sides)
    ratio = wall[names[0]] / wall[names[1]]
    print(f"  POST /api/clips / cp of its size: {ratio:.2f} in wall time "
          f"({fastest[names[0]] / fastest[names[1]]:.2f} between the fastest runs) (goal: at most "
          f"{GOALS['clip']:.2f}: {verdict(ratio <= GOALS['clip'])}); kovra-cli clip / cp "
          f"{wall[names[2]] / wall[names[1]]:.2f}")


def peak_memory(server, after):
    peak = peak_mib(server.pid)
    print(f"the server's peak memory (VmHWM) after {after}: {peak:.1f} MiB (goal: under "
          f"{GOALS['peak']:.0f} MiB: {verdict(peak < GOALS['peak'])})")


# ---- In Chromium ----

# Set once in the page: a pointer event notes performance.now() and the frame shown, and each
# animation frame after it looks whether the canvas shows another frame yet.
ARM_CLICK = """
window.benchClick = {t0: null, t1: null, same: false};
if (!window.benchArmed) {
  window.benchArmed = true;
  document.addEventListener('pointerdown', () => {
    const b = window.benchClick;
    b.t0 = performance.now();
    const before = frames.shownKey;
    const poll = () => {
      if (frames.shownKey !== before) b.t1 = performance.now();
      else if (at.recording && `${at.recording.id}/${at.frame}` === before) b.same = true;
      else requestAnimationFrame(poll);
    };
    requestAnimationFrame(poll);
  }, true);
}"""
AWAIT_CLICK = """
const done = arguments[arguments.length - 1];
const began = performance.now();
const look = () => {
  const b = window.benchClick;
  if (b.t1 !== null) done(b.t1 - b.t0);
  else if (b.same) done(-1);
  else if (performance.now() - began > 5000) done(null);
  else setTimeout(look, 5);
};
look();"""
IN_VIEW = """
const box = document.getElementById('timeline-canvas').getBoundingClientRect();
return [view.from, view.to, box.width, card.timed.filter(
    (r) => r.playable && r.end > view.from && r.start < view.to).map((r) => [r.start, r.end])];"""


def chromium_skipped():
    try:
        import selenium  # noqa: F401
    except ImportError:
        return "python3-selenium is not installed (make test installs it)"
    for tool in ("chromium", "chromedriver"):
        if not shutil.which(tool):
            return f"{tool} is not installed (make test installs it)"
    return None


def descendants(root):
    """The processes below root, as their parents' ids in /proc name them."""
    parents = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                text = open(f"/proc/{name}/stat").read()
                parents[int(name)] = int(text[text.rindex(")") + 2:].split()[1])
            except (OSError, ValueError):
                pass
    found, wanted = [], {root}
    while wanted:
        below = [pid for pid, parent in parents.items() if parent in wanted]
        found += below
        wanted = set(below)
    return found


def renderers(root):
    found = []
    for pid in descendants(root):
        try:
            if b"--type=renderer" in open(f"/proc/{pid}/cmdline", "rb").read():
                found.append(pid)
        except OSError:
            pass
    return found


def cpu_of(pids):
    total = 0.0
    for pid in pids:
        try:
            total += stat_fields(pid)[0]
        except OSError:
            pass  # ended since
    return total


def threads_cpu(pids):
    """Processor seconds of each thread of the processes, summed by the thread's name (Chromium
    names its threads: CrRendererMain, Compositor, CompositorTileW...)."""
    by_name = {}
    for pid in pids:
        try:
            tasks = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tasks:
            try:
                name = open(f"/proc/{pid}/task/{tid}/comm").read().strip()
                cpu = stat_fields(f"{pid}/task/{tid}")[0]
            except OSError:
                continue
            by_name[name] = by_name.get(name, 0.0) + cpu
    return by_name


def clicks(driver, chance):
    """Item 5: a click at a random moment of the timeline's recordings to the frame drawn."""
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    timeline = driver.find_element(By.ID, "timeline-canvas")
    times, same, lost = [], 0, 0
    while len(times) < CLICKS and same + lost < CLICKS:
        start, end, width, shown = driver.execute_script(IN_VIEW)
        r_start, r_end = chance.choice(shown)
        moment = chance.uniform(max(r_start, start), min(r_end, end))
        x = round((moment - start) / (end - start) * width - width / 2)
        driver.execute_script(ARM_CLICK)
        ActionChains(driver).move_to_element_with_offset(timeline, x, 0).click().perform()
        ms = driver.execute_async_script(AWAIT_CLICK)
        if ms is None:
            lost += 1
        elif ms < 0:
            same += 1  # the click fell on the frame already shown: nothing to draw
        else:
            times.append(ms)
    if not times:
        print("  a click to its frame: no click drew a frame")
        return
    p95 = percentile(times, 0.95)
    print(f"  {len(times)} clicks at random moments of the recordings on the timeline (every "
          f"tenth cut), from the pointer event to the animation frame that finds the frame on "
          f"the canvas: p50 {percentile(times, 0.5):.1f} ms, p95 {p95:.1f} ms (goal: under "
          f"{GOALS['click']:.0f} ms: {verdict(p95 < GOALS['click'])}), max {max(times):.1f} ms"
          + (f"; {same} fell on the frame shown, {lost} drew nothing within 5 s" if same or lost
             else ""))


def play(driver, server):
    """Item 6: the processor time of the server and of the page's renderers while 10 s play."""
    from selenium.webdriver.common.by import By
    browser = driver.service.process.pid
    body = driver.find_element(By.TAG_NAME, "body")
    pages = renderers(browser)
    server_before, page_before = stat_fields(server.pid)[0], cpu_of(pages)
    each_before = [cpu_of([pid]) for pid in pages]
    all_before = cpu_of(descendants(browser))
    threads_before = threads_cpu(pages)
    playhead = "return playheadTime()"
    from_ms = driver.execute_script(playhead)
    body.send_keys(" ")
    began = time.perf_counter()
    time.sleep(PLAY_SECONDS)
    moved = driver.execute_script(
        "return playback ? [at.recording.id, at.frame, playback.rate] : null")
    body.send_keys(" ")
    seconds = time.perf_counter() - began
    moved_s = (driver.execute_script(playhead) - from_ms) / 1000
    server_cpu = (stat_fields(server.pid)[0] - server_before) / seconds
    page_cpu = (cpu_of(pages) - page_before) / seconds
    each = " + ".join(f"{(cpu_of([pid]) - before) / seconds:.3f}"
                      for pid, before in zip(pages, each_before))
    all_cpu = (cpu_of(descendants(browser)) - all_before) / seconds
    threads_after = threads_cpu(pages)
    by_thread = {name: (cpu - threads_before.get(name, 0.0)) / seconds
                 for name, cpu in threads_after.items()}
    print(f"  playing {seconds:.1f} s at 1x across the short recordings (the playhead moved "
          f"{moved_s:.1f} s on the recorder's clock, a gap it skipped counted in that; still "
          f"playing at the end: "
          f"{moved is not None}), per second played: the server {server_cpu:.4f} core-seconds a second of "
          f"video (goal: under {GOALS['server_cpu']}: {verdict(server_cpu < GOALS['server_cpu'])}"
          f"); the page's {len(pages)} renderer processes {page_cpu:.3f} ({each}) (goal: under "
          f"{GOALS['page_cpu']}: {verdict(page_cpu < GOALS['page_cpu'])}); all of Chromium's "
          f"processes {all_cpu:.3f}, its GPU process drawing without a GPU among them")
    busiest = sorted(((cpu, name) for name, cpu in by_thread.items() if cpu >= 0.002),
                     reverse=True)
    print("  the renderers' threads: " + ", ".join(f"{name} {cpu:.3f}" for cpu, name in busiest))
    return page_cpu, by_thread


def in_chromium(server):
    """The clicks and the play; the page's processor time a second played and by thread, or
    None."""
    why = chromium_skipped()
    if why:
        print(f"in Chromium: skipped: {why}")
        return None
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for argument in ("--headless=new", "--disable-gpu", "--no-first-run", "--no-sandbox",
                     "--disable-background-networking",
                     "--autoplay-policy=no-user-gesture-required", "--window-size=1100,1000"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    try:
        driver.set_script_timeout(TIMEOUT)
        driver.get(server.url)
        for _ in range(TIMEOUT * 10):
            # Until player.js has run, "card" is the element of that id, without timed.
            if driver.execute_script("return typeof frames === 'object' && card.timed "
                                     "&& card.timed.length > 0 && frames.shownKey !== null"):
                break
            time.sleep(0.1)
        else:
            print("in Chromium: the page showed no frame within 20 s")
            return None
        # The first day, halved eight times around its first recording: about 5.6 minutes
        # across the timeline, a frame about a third of a pixel.
        body = driver.find_element(By.TAG_NAME, "body")
        for _ in range(8):
            body.send_keys("+")
        print(f"in headless Chromium ({driver.capabilities.get('browserVersion', '?')}), the "
              f"same server and card; load average {load_average()}")
        chance = random.Random(SEED)
        clicks(driver, chance)
        return play(driver, server)
    finally:
        driver.quit()


def play_rounds(programs, rounds):
    """The clicks and the play alone, each program in turn in each round, and their medians:
    the play part of the full run, a fresh server and browser each time as there."""
    with tempfile.TemporaryDirectory(prefix="serve-", dir=os.path.dirname(programs[0])) as work:
        make_cards(work)
        settle(work)
        figures = {program: [] for program in programs}
        threads = {program: [] for program in programs}
        for round_ in range(rounds):
            for program in programs:
                print(f"round {round_ + 1}, {program}: load average {load_average()}")
                server = Server(program, work, "card200")
                try:
                    measured = in_chromium(server)
                finally:
                    server.stop()
                if measured is None:
                    return 1
                figures[program].append(measured[0])
                threads[program].append(measured[1])
        for program in programs:
            runs = figures[program]
            names = {name for run in threads[program] for name in run}
            medians = sorted(((statistics.median(run.get(name, 0.0) for run in threads[program]),
                               name) for name in names), reverse=True)
            print(f"{program}: the page's renderers {statistics.median(runs):.3f} core-seconds a "
                  f"second of video, median of {len(runs)} (each: "
                  f"{', '.join(f'{r:.3f}' for r in runs)}); by thread: "
                  + ", ".join(f"{name} {cpu:.3f}" for cpu, name in medians if cpu >= 0.002))
        print(f"load average at the end {load_average()}")
    return 0


def main():
    arguments = sys.argv[1:]
    rounds = 0
    if len(arguments) >= 3 and arguments[0] == "--play" and arguments[1].isdigit():
        rounds, arguments = int(arguments[1]), arguments[2:]
    if not arguments or (len(arguments) > 1 and not rounds) or not all(
            os.access(a, os.X_OK) for a in arguments):
        print("usage: serve_bench.py KOVRA-CLI | serve_bench.py --play N KOVRA-CLI...",
              file=sys.stderr)
        return 2
    if not shutil.which("ffmpeg"):
        print("serve: skipped: ffmpeg is not installed (the cards are made with it)")
        return 0
    if rounds:
        return play_rounds([os.path.abspath(a) for a in arguments], rounds)
    program = os.path.abspath(arguments[0])
    # Beside the program, in the bench build, where the other benchmarks make their cards.
    with tempfile.TemporaryDirectory(prefix="serve-", dir=os.path.dirname(program)) as work:
        total, short, long = make_cards(work)
        settle(work)
        print(f"serve: cards of {DESCRIPTION}: {STARTUP_FILES} recordings of {SHORT_SECONDS} s "
              f"({short / 1024:.0f} KiB, every tenth cut at 60 %), {total / 1024 / 1024:.0f} MiB; "
              f"load average {load_average()} on {os.cpu_count()} cores")
        startup(program, work)
        server = Server(program, work, "card200")
        try:
            status, body = server.ask("GET", "/api/videos")
            videos = [v for v in json.loads(body)["videos"] if v.get("frames", 0) > 0]
            frame_requests(server, videos)
            save_clip(server, work, program)
            peak_memory(server, "the frames and the saved minutes")
            in_chromium(server)
            peak_memory(server, "the page's clicks and play as well")
        finally:
            code = server.stop()
        if code != 0:
            print(f"kovra-cli serve ended with {code} on SIGTERM")
            return 1
        print(f"load average at the end {load_average()}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
