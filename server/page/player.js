// Kovra's player: the card's recordings on a day's timeline, any moment's frame drawn to a
// canvas, and play with the sound leading: the Web Audio clock decides which frame is due, so
// the picture follows the sound and never the other way round. Everything comes from this
// server's own API; nothing is converted.
'use strict';

const kSoundChunkSeconds = 2;    // the length of one WAV span asked for
const kSoundAheadSeconds = 3;    // how far ahead of the clock sound is fetched
const kStartLeadSeconds = 0.15;  // time given to the first span before play starts
const kSoundStartMs = 2000;      // how long Play waits for the browser to start its sound
const kFramesAhead = 6;          // frames fetched ahead of the one shown while playing
const kBatchFrames = 16;         // frames asked for in one request while playing: a second's
const kFrameSizesHeader = 'X-Kovra-Frame-Sizes'; // a batch's frames' sizes, in bytes
const kMinWakeMs = 4;            // the least wait for the next frame
const kStaleStampMs = 500;       // an output timestamp older than this is from before a pause
const kKeptFrames = 90;          // decoded frames kept for stepping back and forth
const kKeptStrips = 50;          // recordings' lists of previews kept while hovering about
const kPreviewGap = 12;          // pixels between the pointer and its preview
const kMinViewMs = 400;          // the deepest zoom: a few frames across the timeline
const kDayMs = 24 * 3600 * 1000;
const kPageStepMs = 60 * 1000;   // Page Up and Page Down
const kNoTime = '—';
const kSpeedWords = {0.5: 'half speed', 1: 'normal speed', 2: 'double speed'};

const el = (id) => document.getElementById(id);

// ---- Times on the recorder's clock, kept as milliseconds of a naive calendar (UTC fields) ----

function parseClock(text) {
  const m = /^(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)(?:\.(\d{1,3}))?$/.exec(text || '');
  if (!m) return null;
  const ms = m[7] ? Number(m[7].padEnd(3, '0')) : 0;
  return Date.UTC(+m[1], +m[2] - 1, +m[3], +m[4], +m[5], +m[6], ms);
}

const two = (n) => String(n).padStart(2, '0');

function dayText(ms) {
  const d = new Date(ms);
  return `${d.getUTCFullYear()}-${two(d.getUTCMonth() + 1)}-${two(d.getUTCDate())}`;
}

function clockText(ms, withMillis = true) {
  const d = new Date(ms);
  const time = `${two(d.getUTCHours())}:${two(d.getUTCMinutes())}:${two(d.getUTCSeconds())}`;
  const millis = withMillis ? '.' + String(d.getUTCMilliseconds()).padStart(3, '0') : '';
  return `${dayText(ms)} ${time}${millis}`;
}

function lengthText(ms) {
  const s = Math.round(ms / 1000);
  if (s < 60) return `${s} s`;
  if (s < 3600) return `${Math.floor(s / 60)} min ${s % 60} s`;
  return `${Math.floor(s / 3600)} h ${Math.floor((s % 3600) / 60)} min`;
}

// A gap between recordings, which a power cut or a restart leaves from a few frames long to
// hours: under a second to the millisecond, under ten seconds to the tenth, longer as lengthText.
function gapText(ms) {
  if (ms < 1000) return `${Math.round(ms)} ms`;
  if (ms < 10000) return `${(Math.round(ms / 100) / 10).toFixed(1)} s`;
  return lengthText(ms);
}

const dayStart = (ms) => Math.floor(ms / kDayMs) * kDayMs;

// ---- The card's recordings ----

const card = {
  timed: [],   // {video, id, start, end, frameMs, frames, seconds}, in order of start
  untimed: [], // the same with start null
  days: [],    // day starts (ms) that hold recordings
};

function recordingOf(video) {
  const fps = Number(video.fps) > 0 ? Number(video.fps) : 0;
  const frames = Number(video.frames) > 0 ? Number(video.frames) : 0;
  const frameMs = fps > 0 ? 1000 / fps : 0;
  const start = parseClock(video.recordedStart);
  const playable = frames > 0 && frameMs > 0 && video.state !== 'unreadable';
  return {video, id: String(video.id), state: video.state || 'unreadable', start, frameMs, frames,
          playable, seconds: frames * frameMs / 1000,
          end: start === null ? null : start + Math.max(frames * frameMs, 1)};
}

function loadRecordings(videos) {
  const all = videos.map(recordingOf);
  card.timed = all.filter((r) => r.start !== null).sort((a, b) => a.start - b.start);
  card.untimed = all.filter((r) => r.start === null);
  const days = new Set();
  for (const r of card.timed) {
    for (let d = dayStart(r.start); d < r.end; d += kDayMs) days.add(d);
  }
  card.days = [...days].sort((a, b) => a - b);
}

// The recording showing at t, the latest started where two overlap.
function recordingAt(t) {
  let found = null;
  for (const r of card.timed) {
    if (r.start > t) break;
    if (r.playable && t < r.end) found = r;
  }
  return found;
}

function nextRecording(after) {
  const i = card.timed.indexOf(after);
  for (let j = i + 1; j > 0 && j < card.timed.length; ++j) {
    if (card.timed[j].playable) return card.timed[j];
  }
  return null;
}

function previousRecording(before) {
  for (let j = card.timed.indexOf(before) - 1; j >= 0; --j) {
    if (card.timed[j].playable) return card.timed[j];
  }
  return null;
}

const frameAt = (r, t) => Math.min(r.frames - 1, Math.max(0, Math.floor((t - r.start) / r.frameMs)));
const frameTime = (r, n) => r.start + n * r.frameMs;

// ---- Talking to the server ----

async function getJson(url) {
  const response = await fetch(url, {credentials: 'same-origin'});
  if (!response.ok) throw new Error(await failureText(response));
  return response.json();
}

async function postJson(url, body) {
  const response = await fetch(url, {
    method: 'POST', credentials: 'same-origin',
    headers: {'Content-Type': 'application/json'}, body: JSON.stringify(body),
  });
  const text = await response.text();
  let document = null;
  try { document = JSON.parse(text); } catch (_) { /* said below */ }
  if (!response.ok) throw new Error((document && document.error) || `${response.status} ${response.statusText}`);
  return document || {};
}

async function failureText(response) {
  try {
    const document = await response.json();
    if (document && document.error) return document.error;
  } catch (_) { /* no JSON: the status says it */ }
  return `${response.status} ${response.statusText}`;
}

function say(text, failed = false) {
  const status = el('status');
  status.textContent = text;
  status.classList.toggle('failed', failed);
}

// ---- Frames: fetched, decoded in the page, drawn to the canvas ----

const frames = {
  kept: new Map(),     // "id/n" -> Promise<ImageBitmap|null>, oldest first
  shownKey: null,
  wanted: 0,           // the latest frame asked to be shown; older answers are dropped
};

function keepFrame(key, pending) {
  frames.kept.set(key, pending);
  while (frames.kept.size > kKeptFrames) {
    const [oldKey, oldFrame] = frames.kept.entries().next().value;
    frames.kept.delete(oldKey);
    if (oldKey !== frames.shownKey) oldFrame.then((bitmap) => bitmap && bitmap.close());
  }
}

function decodedFrame(r, n) {
  return fetch(`/api/videos/${encodeURIComponent(r.id)}/frames/${n}`, {credentials: 'same-origin'})
    .then((response) => (response.ok ? response.blob() : null))
    .then((blob) => (blob ? createImageBitmap(blob) : null))
    .catch(() => null);
}

function fetchFrame(r, n) {
  const key = `${r.id}/${n}`;
  let pending = frames.kept.get(key);
  if (pending) {
    frames.kept.delete(key); // kept again as the newest
  } else {
    pending = decodedFrame(r, n);
  }
  keepFrame(key, pending);
  return pending;
}

// A batch's body cut at the sizes its header says, each size checked against what is left.
function framesOfBatch(sizesText, blob) {
  const parts = [];
  let offset = 0;
  for (const text of (sizesText || '').split(',')) {
    const size = /^\d{1,9}$/.test(text) ? Number(text) : -1;
    if (size < 0 || size > blob.size - offset) return [];
    parts.push(blob.slice(offset, offset + size, 'image/jpeg'));
    offset += size;
  }
  return parts;
}

// The frames ahead of frame n while playing, a batch of them in one request where one is
// missing: asked for one at a time, their requests were about a fifth of what playing cost the
// page. A frame the batch did not bring (the recording ended, or that frame failed) is asked
// for alone.
function fetchAhead(r, n) {
  let first = n + 1;
  const end = Math.min(r.frames, n + 1 + kFramesAhead);
  while (first < end && frames.kept.has(`${r.id}/${first}`)) ++first;
  if (first >= end) return;
  const count = Math.min(kBatchFrames, r.frames - first);
  const batch = fetch(`/api/videos/${encodeURIComponent(r.id)}/frames?from=${first}&count=${count}`,
                      {credentials: 'same-origin'})
    .then((response) => (response.ok
      ? response.blob().then((blob) => framesOfBatch(response.headers.get(kFrameSizesHeader), blob))
      : []))
    .catch(() => []);
  for (let k = 0; k < count; ++k) {
    const key = `${r.id}/${first + k}`;
    if (frames.kept.has(key)) continue;
    keepFrame(key, batch.then((parts) => (k < parts.length
      ? createImageBitmap(parts[k]).catch(() => null) : decodedFrame(r, first + k))));
  }
}

// Where frames are drawn. The canvas hands its drawing to an OffscreenCanvas where the browser
// has one: what is drawn there goes to the display as a surface of its own, where a canvas's own
// context has the page's compositor take in a new picture layer at every frame played (in
// headless Chromium without a GPU its thread went from 0.03 to 0.01 core-seconds a second
// played, a part of which comes back on the threads that hand the surface on). Either way the
// context is drawn to from here, on the page's thread, with the frames it keeps.
const picture = {context: null};

function pictureContext(width, height) {
  if (!picture.context) {
    const canvas = el('picture');
    const drawn = canvas.transferControlToOffscreen ? canvas.transferControlToOffscreen() : canvas;
    picture.context = drawn.getContext('2d');
  }
  const target = picture.context.canvas;
  if (target.width !== width || target.height !== height) {
    target.width = width;
    target.height = height;
  }
  return picture.context;
}

async function showFrame(r, n) {
  const ticket = ++frames.wanted;
  const bitmap = await fetchFrame(r, n);
  if (ticket !== frames.wanted) return;
  if (!bitmap) {
    el('picture').setAttribute('aria-label', `Frame ${n + 1} of ${r.video.path} could not be shown`);
    say(`Frame ${n + 1} of ${r.video.path} could not be shown.`, true);
    return;
  }
  pictureContext(bitmap.width, bitmap.height).drawImage(bitmap, 0, 0);
  frames.shownKey = `${r.id}/${n}`;
}

// ---- Where the player is ----

const at = {recording: null, frame: 0};
const marks = {in: null, out: null};
const view = {from: 0, to: kDayMs};

// Where the player is in words: to the frame, or while playing to the second.
function momentText() {
  const r = at.recording;
  if (!r) return kNoTime;
  if (playback) {
    const into = lengthText(at.frame * r.frameMs);
    return r.start === null ? `${r.video.path}, ${into} in`
      : `${clockText(frameTime(r, at.frame), false)} · ${r.video.path}`;
  }
  const where = `${r.video.path}, frame ${at.frame + 1} of ${r.frames}`;
  return r.start === null ? where : `${clockText(frameTime(r, at.frame))} · ${where}`;
}

function setPosition(r, n, {draw = true} = {}) {
  at.recording = r;
  at.frame = n;
  if (draw) showFrame(r, n);
  el('save-frame').disabled = false;
  describePosition();
  if (r.start !== null && keepInView(frameTime(r, n))) drawTimeline();
  else placePlayhead();
}

// The line under the picture, the timeline's value and the picture's name. While playing they
// change once a second: a frame's number and millisecond cannot be read at 15 a second, a screen
// reader on the timeline would read each, and each change costs the page a layout and a paint.
let described = null;

function describePosition() {
  const text = momentText();
  if (text === described) return;
  described = text;
  el('moment').textContent = text;
  const r = at.recording;
  el('picture').setAttribute('aria-label', playback ? `${r.video.path}, playing`
    : `Frame ${at.frame + 1} of ${r.frames} of ${r.video.path}`);
  if (r.start !== null) {
    const t = frameTime(r, at.frame);
    const slider = el('timeline');
    slider.setAttribute('aria-valuenow', String(Math.floor((t - dayStart(t)) / 1000)));
    slider.setAttribute('aria-valuetext', text);
  }
}

function seek(t) {
  const r = recordingAt(t);
  if (!r) {
    say(`No recording at ${clockText(t, false)}.`);
    return;
  }
  say('');
  setPosition(r, frameAt(r, t));
}

function step(by) {
  stopPlaying();
  let r = at.recording;
  if (!r) return;
  let n = at.frame + by;
  if (n < 0) {
    const before = r.start === null ? null : previousRecording(r);
    if (!before) return;
    r = before;
    n = r.frames - 1;
  } else if (n >= r.frames) {
    const after = r.start === null ? null : nextRecording(r);
    if (!after) return;
    r = after;
    n = 0;
  }
  setPosition(r, n);
}

// ---- Play: the audio clock leads, the picture follows ----

let audio = null;
let playback = null;
let playGeneration = 0;

function speed() {
  return Number(document.querySelector('input[name="speed"]:checked').value);
}

// One recording's part of a play: from (seconds into it) played from ctxStart on the audio clock.
function segment(r, from, ctxStart, rate) {
  return {r, from, ctxStart, ctxEnd: ctxStart + (r.seconds - from) / rate, soundNext: from,
          noSound: false};
}

// What is heard now on the sound's clock. currentTime is where the sound is being made, ahead of
// the speaker by the output's latency, and moves in steps of its buffers; the output's last
// timestamp carried on by the page's clock is what the ear has, smoothly.
function heardTime() {
  const stamp = audio.getOutputTimestamp ? audio.getOutputTimestamp() : null;
  const now = audio.currentTime;
  if (!stamp || !stamp.performanceTime || performance.now() - stamp.performanceTime > kStaleStampMs) {
    return Math.max(0, now - (audio.baseLatency || 0) - (audio.outputLatency || 0));
  }
  return Math.min(now, stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000);
}

function startPlaying() {
  const r = at.recording;
  if (!r || !r.playable) return;
  // Large output buffers: the sound is made in fewer, longer wakes; the picture follows what is
  // heard (heardTime), so the latency does not part them.
  audio = audio || new AudioContext({latencyHint: 'playback'});
  audio.resume();
  const rate = speed();
  const from = at.frame * r.frameMs / 1000;
  playback = {generation: ++playGeneration, rate, sources: [], timer: 0, started: performance.now(),
              segments: [segment(r, from, audio.currentTime + kStartLeadSeconds, rate)]};
  el('play').textContent = 'Pause';
  describePosition();
  say(`Playing at ${kSpeedWords[rate] || `${rate}×`} from ${momentText()}.`);
  tick();
}

function stopPlaying() {
  if (!playback) return;
  clearTimeout(playback.timer);
  for (const source of playback.sources) {
    try { source.stop(); } catch (_) { /* already ended */ }
  }
  playback = null;
  // A running context makes silence all the while: paused, the page costs nothing.
  audio.suspend();
  el('play').textContent = 'Play';
  describePosition();
  say(`Paused at ${momentText()}.`);
}

// Play's clock: the sound's, or where the browser never starts its sound (Firefox keeps the
// AudioContext suspended on a machine with no sound device) the page's own, silent, from there.
function playClock() {
  const p = playback;
  if (p.silentFrom === undefined && audio.state !== 'running' &&
      performance.now() - p.started > kSoundStartMs) {
    p.silentFrom = {ctx: audio.currentTime, page: performance.now()};
    say('The browser started no sound (is there a sound device?): playing without it.');
  }
  const silent = p.silentFrom;
  return silent ? silent.ctx + (performance.now() - silent.page) / 1000 : heardTime();
}

function tick() {
  if (!playback) return;
  const now = playClock();
  const segments = playback.segments;
  let last = segments[segments.length - 1];
  // The next recording is lined up before this one ends, so that its sound starts on time.
  if (now > last.ctxEnd - kSoundAheadSeconds && !last.followed) {
    last.followed = true;
    const next = last.r.start === null ? null : nextRecording(last.r);
    if (next) {
      const overlap = Math.max(0, (last.r.end - next.start) / 1000);
      const following = segment(next, Math.min(overlap, next.seconds), last.ctxEnd, playback.rate);
      following.gapMs = next.start - last.r.end;
      segments.push(following);
      last = following;
    }
  }
  const current = segments.filter((s) => s.ctxStart <= now).pop() || segments[0];
  if (now >= last.ctxEnd) {
    setPosition(last.r, last.r.frames - 1);
    stopPlaying();
    say('Played to the end of the last recording.');
    return;
  }
  if (current !== playback.current) {
    // A gap under half a millisecond is the frames' rounding, not a gap.
    if (playback.current && Math.round(current.gapMs) > 0) {
      say(`Skipped a gap of ${gapText(current.gapMs)}: on at ${clockText(current.r.start, false)}.`);
    }
    playback.current = current;
  }
  const media = current.from + Math.max(0, now - current.ctxStart) * playback.rate;
  const n = Math.min(current.r.frames - 1, Math.floor(media * 1000 / current.r.frameMs));
  if (current.r !== at.recording || n !== at.frame) setPosition(current.r, n);
  fetchAhead(current.r, n);
  if (!playback.silentFrom) for (const s of segments) scheduleSound(s, audio.currentTime);
  // Woken when the next frame is due on the sound's clock, not at every animation frame: a
  // wake that changes nothing still has the browser lay out, paint and composite the page,
  // four times a frame at 15 fps on a 60 Hz display.
  const nextFrame = Math.min(current.ctxEnd,
    current.ctxStart + ((n + 1) * current.r.frameMs / 1000 - current.from) / playback.rate);
  playback.timer = setTimeout(tick, Math.max(kMinWakeMs, (nextFrame - now) * 1000 + 1));
}

function scheduleSound(s, now) {
  const p = playback;
  while (!s.noSound && s.soundNext < s.r.seconds &&
         s.ctxStart + (s.soundNext - s.from) / p.rate < now + kSoundAheadSeconds) {
    const from = s.soundNext;
    const to = Math.min(s.r.seconds, from + kSoundChunkSeconds);
    s.soundNext = to;
    const url = `/api/videos/${encodeURIComponent(s.r.id)}/sound?from=${from.toFixed(3)}&to=${to.toFixed(3)}`;
    fetch(url, {credentials: 'same-origin'})
      .then((response) => {
        if (!response.ok) {
          s.noSound = true; // a recording without sound plays on the same clock, silent
          return null;
        }
        return response.arrayBuffer();
      })
      .then((bytes) => (bytes ? audio.decodeAudioData(bytes) : null))
      .then((buffer) => {
        if (!buffer || !playback || playback.generation !== p.generation) return;
        const source = audio.createBufferSource();
        source.buffer = buffer;
        source.playbackRate.value = p.rate;
        source.connect(audio.destination);
        const when = s.ctxStart + (from - s.from) / p.rate;
        const late = (audio.currentTime - when) * p.rate;
        if (late <= 0) source.start(when);
        else if (late < buffer.duration) source.start(audio.currentTime, late);
        else return;
        p.sources.push(source);
        source.onended = () => {
          const i = p.sources.indexOf(source);
          if (i >= 0) p.sources.splice(i, 1);
        };
      })
      .catch(() => { s.noSound = true; });
  }
}

// ---- The timeline ----

// Whether the view had to move to show t.
function keepInView(t) {
  if (t >= view.from && t < view.to) return false;
  const span = view.to - view.from;
  view.from = Math.max(dayStart(t), t - span / 10);
  view.to = view.from + span;
  return true;
}

const kTickSteps = [1000 / 30, 100, 1000, 5000, 15000, 60000, 300000, 900000, 3600000, 3 * 3600000];

// The canvas holds what changes only with the view or the marks; the playhead is an element
// of its own above it, so that a frame played moves it without redrawing and re-rasterising
// the day's bars and labels (and without asking for the layout a canvas's width needs).
let timelineWidth = 0;

function drawTimeline() {
  const canvas = el('timeline-canvas');
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.floor(canvas.clientWidth * ratio));
  const height = Math.floor(96 * ratio);
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const g = canvas.getContext('2d');
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  const w = width / ratio;
  timelineWidth = w;
  g.clearRect(0, 0, w, 96);
  const span = view.to - view.from;
  const x = (t) => ((t - view.from) / span) * w;

  // Ticks, about one every 80 pixels, labelled.
  const step = kTickSteps.find((s) => (s / span) * w >= 80) || kTickSteps[kTickSteps.length - 1];
  g.font = '11px sans-serif';
  g.fillStyle = '#555';
  g.strokeStyle = '#ddd';
  for (let t = Math.ceil(view.from / step) * step; t <= view.to; t += step) {
    const px = Math.round(x(t)) + 0.5;
    g.beginPath();
    g.moveTo(px, 14);
    g.lineTo(px, 96);
    g.stroke();
    const text = clockText(t, step < 1000).slice(11);
    g.fillText(step >= 60000 ? text.slice(0, 5) : text, px + 2, 11);
  }

  // Recordings as bars by state; gaps stay empty.
  const colours = {ok: '#2e7d32', repairable: '#ef8f00', unreadable: '#c62828'};
  for (const r of card.timed) {
    if (r.end < view.from || r.start > view.to) continue;
    g.fillStyle = colours[r.state] || colours.unreadable;
    const left = Math.max(0, x(r.start));
    g.fillRect(left, 30, Math.max(1, Math.min(w, x(r.end)) - left), 40);
    // Deep in, each frame's start shows as a notch.
    if (r.frameMs / span * w >= 6) {
      g.fillStyle = 'rgba(255,255,255,0.7)';
      const first = Math.max(0, Math.floor((view.from - r.start) / r.frameMs));
      for (let n = first; n < r.frames && frameTime(r, n) <= view.to; ++n) {
        g.fillRect(Math.floor(x(frameTime(r, n))), 30, 1, 40);
      }
    }
  }

  // The marked clip.
  if (marks.in !== null || marks.out !== null) {
    const a = marks.in !== null ? marks.in : view.from;
    const b = marks.out !== null ? marks.out : view.to;
    g.fillStyle = 'rgba(21, 101, 192, 0.35)';
    g.fillRect(x(Math.min(a, b)), 22, Math.abs(x(b) - x(a)), 56);
  }
  placePlayhead();
}

function placePlayhead() {
  const head = el('playhead');
  const t = playheadTime();
  const shown = t !== undefined && t >= view.from && t <= view.to;
  if (head.hidden === shown) head.hidden = !shown;
  if (shown) {
    const px = Math.round(((t - view.from) / (view.to - view.from)) * timelineWidth) - 1;
    head.style.transform = `translateX(${px}px)`;
  }
}

// ---- Previews: the gallery's strip of a recording, the picture nearest the moment shown ----

const previews = {
  strips: new Map(), // id -> Promise<[{frame, seconds, width, height} | {frame, refused}]>
  wanted: 0,         // the latest preview asked for; older answers are dropped
};

function stripOf(r) {
  let pending = previews.strips.get(r.id);
  if (pending) {
    previews.strips.delete(r.id); // kept again as the newest
  } else {
    pending = getJson(`/api/videos/${encodeURIComponent(r.id)}/pictures`)
      .then((document) => (Array.isArray(document.pictures) ? document.pictures : []))
      .catch(() => []);
  }
  previews.strips.set(r.id, pending);
  while (previews.strips.size > kKeptStrips) previews.strips.delete(previews.strips.keys().next().value);
  return pending;
}

function hidePreview() {
  ++previews.wanted;
  el('preview').hidden = true;
}

// The preview of moment t, x pixels from the timeline's left: none over a gap.
async function showPreview(t, x) {
  const r = recordingAt(t);
  if (!r || r.start === null) {
    hidePreview();
    return;
  }
  const ticket = ++previews.wanted;
  const strip = await stripOf(r);
  if (ticket !== previews.wanted) return;
  let best = -1;
  const distance = (k) => Math.abs(frameTime(r, strip[k].frame) - t);
  strip.forEach((p, k) => {
    if (p.refused === undefined && (best < 0 || distance(k) < distance(best))) best = k;
  });
  const box = el('preview');
  if (best < 0) {
    box.hidden = true; // a recording whose frames gave no picture
    return;
  }
  const when = clockText(frameTime(r, strip[best].frame));
  const picture = el('preview-picture');
  const source = `/api/videos/${encodeURIComponent(r.id)}/pictures/${best}`;
  if (picture.getAttribute('src') !== source) picture.src = source;
  picture.alt = `${r.video.path} at ${when}`; // a name from the card: text, never markup
  el('preview-time').textContent = when.slice(11);
  box.hidden = false;
  const room = el('timeline').clientWidth - box.offsetWidth;
  const left = x + kPreviewGap <= room ? x + kPreviewGap : x - kPreviewGap - box.offsetWidth;
  box.style.left = `${Math.max(0, Math.min(room, left))}px`;
}

// Where the keyboard moved the timeline to: the preview beside the playhead.
function previewAtPlayhead() {
  const t = playheadTime();
  if (t === undefined || t < view.from || t > view.to) {
    hidePreview();
    return;
  }
  showPreview(t, ((t - view.from) / (view.to - view.from)) * el('timeline-canvas').clientWidth);
}

function timeAtPointer(event) {
  const box = el('timeline-canvas').getBoundingClientRect();
  const f = Math.min(1, Math.max(0, (event.clientX - box.left) / box.width));
  return view.from + f * (view.to - view.from);
}

function zoom(factor, around) {
  const span = Math.min(kDayMs, Math.max(kMinViewMs, (view.to - view.from) * factor));
  const centre = around !== undefined ? around : (view.from + view.to) / 2;
  const f = (centre - view.from) / (view.to - view.from);
  view.from = centre - f * span;
  view.to = view.from + span;
  drawTimeline();
}

function playheadTime() {
  const r = at.recording;
  return r && r.start !== null ? frameTime(r, at.frame) : undefined;
}

function showDay(day) {
  view.from = day;
  view.to = day + kDayMs;
  const first = card.timed.find((r) => r.playable && r.end > day);
  if (first) setPosition(first, frameAt(first, Math.max(day, first.start)));
  drawTimeline();
}

// ---- Marks and saving ----

function showMarks() {
  const text = (t) => (t === null ? 'not set' : clockText(t));
  el('marks').textContent = marks.in === null && marks.out === null
    ? 'No clip marked: press I and O, or the two buttons.'
    : `Clip from ${text(marks.in)} to ${text(marks.out)}` +
      (marks.in !== null && marks.out !== null ? ` (${lengthText(Math.abs(marks.out - marks.in))})` : '');
  el('save-clip').disabled = !(marks.in !== null && marks.out !== null && marks.in !== marks.out);
  drawTimeline();
}

function mark(which) {
  const t = playheadTime();
  if (t === undefined) {
    say('Marks are set on the timeline: show a moment of a recording with a time first.');
    return;
  }
  // A mark out takes in the frame shown, to its end.
  marks[which] = which === 'out' ? t + at.recording.frameMs : t;
  showMarks();
  say(el('marks').textContent);
}

async function saveClip() {
  const from = Math.min(marks.in, marks.out);
  const to = Math.max(marks.in, marks.out);
  say(`Saving the clip from ${clockText(from)} to ${clockText(to)}…`);
  try {
    const done = await postJson('/api/clips', {start: clockText(from), end: clockText(to)});
    say(`Saved ${done.path} (${done.frames} frames, ${lengthText((done.durationSeconds || 0) * 1000)}).`);
  } catch (error) {
    say(`The clip was not saved: ${error.message}`, true);
  }
}

async function saveFrame() {
  const r = at.recording;
  if (!r) return;
  try {
    // The listing's id is a number, which the route takes; the page keys frames by its text.
    const done = await postJson('/api/frames', {id: Number(r.id), n: at.frame});
    say(`Saved ${done.path}.`);
  } catch (error) {
    say(`The frame was not saved: ${error.message}`, true);
  }
}

// ---- Wiring ----

// Where a key is the control's own: a field typed into, a list chosen from, a radio moved by its
// arrows. Any kind of input counts, so that a field added later does not step frames as it is typed.
function typingInto(target) {
  return target.closest && target.closest('select, input, textarea, [contenteditable]');
}

function onKey(event) {
  if (event.ctrlKey || event.metaKey || event.altKey || typingInto(event.target)) return;
  const onButton = event.target.tagName === 'BUTTON' || event.target.tagName === 'SUMMARY';
  switch (event.key) {
    case ' ':
      if (onButton) return; // the button's own press
      playback ? stopPlaying() : startPlaying();
      break;
    case 'ArrowLeft': step(-1); break;
    case 'ArrowRight': step(1); break;
    case 'PageUp':
    case 'PageDown': {
      const t = playheadTime();
      if (t !== undefined) seek(t + (event.key === 'PageUp' ? -kPageStepMs : kPageStepMs));
      break;
    }
    case '+': case '=': zoom(0.5, playheadTime()); break;
    case '-': case '_': zoom(2, playheadTime()); break;
    case 'i': case 'I': mark('in'); break;
    case 'o': case 'O': mark('out'); break;
    default: return;
  }
  event.preventDefault();
  if (event.target === el('timeline')) previewAtPlayhead();
}

function wire() {
  el('play').addEventListener('click', () => (playback ? stopPlaying() : startPlaying()));
  el('back').addEventListener('click', () => step(-1));
  el('forward').addEventListener('click', () => step(1));
  el('mark-in').addEventListener('click', () => mark('in'));
  el('mark-out').addEventListener('click', () => mark('out'));
  el('save-clip').addEventListener('click', saveClip);
  el('save-frame').addEventListener('click', saveFrame);
  el('zoom-in').addEventListener('click', () => zoom(0.5, playheadTime()));
  el('zoom-out').addEventListener('click', () => zoom(2, playheadTime()));
  el('zoom-day').addEventListener('click', () => showDay(dayStart(view.from)));
  el('day').addEventListener('change', (e) => showDay(Number(e.target.value)));
  for (const radio of document.querySelectorAll('input[name="speed"]')) {
    radio.addEventListener('change', () => {
      if (playback) { stopPlaying(); startPlaying(); }
    });
  }
  document.addEventListener('keydown', onKey);

  const timeline = el('timeline');
  let dragging = false;
  timeline.addEventListener('pointerdown', (e) => {
    dragging = true;
    timeline.setPointerCapture(e.pointerId);
    timeline.focus();
    stopPlaying();
    seek(timeAtPointer(e));
  });
  timeline.addEventListener('pointermove', (e) => {
    if (dragging) seek(timeAtPointer(e));
    showPreview(timeAtPointer(e), e.clientX - el('timeline-canvas').getBoundingClientRect().left);
  });
  timeline.addEventListener('pointerleave', hidePreview);
  timeline.addEventListener('focus', previewAtPlayhead);
  timeline.addEventListener('blur', hidePreview);
  timeline.addEventListener('pointerup', () => { dragging = false; });
  timeline.addEventListener('pointercancel', () => { dragging = false; });
  timeline.addEventListener('wheel', (e) => {
    e.preventDefault();
    if (e.shiftKey || Math.abs(e.deltaX) > Math.abs(e.deltaY)) {
      const shift = ((e.deltaX || e.deltaY) / 500) * (view.to - view.from);
      view.from += shift;
      view.to += shift;
      drawTimeline();
    } else {
      zoom(e.deltaY < 0 ? 0.8 : 1.25, timeAtPointer(e));
    }
  }, {passive: false});
  window.addEventListener('resize', drawTimeline);
}

function fillDays() {
  const select = el('day');
  select.textContent = '';
  for (const day of card.days) {
    const count = card.timed.filter((r) => r.end > day && r.start < day + kDayMs).length;
    const option = document.createElement('option');
    option.value = String(day);
    option.textContent = `${dayText(day)} (${count} recording${count === 1 ? '' : 's'})`;
    select.append(option);
  }
}

function fillUntimed() {
  const list = el('untimed-list');
  list.textContent = '';
  for (const r of card.untimed) {
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = r.video.path; // a name from the card: text, never markup
    button.disabled = !r.playable;
    button.addEventListener('click', () => setPosition(r, 0));
    item.append(button);
    list.append(item);
  }
  el('untimed').hidden = card.untimed.length === 0;
}

// The card at a glance: where, how many recordings over how many days, and what its two
// records say (the settings in the recorder window's words, the date TIME.txt holds).
function cardText(about, count) {
  const parts = [`${count} recording${count === 1 ? '' : 's'}` +
    (about && typeof about.root === 'string' ? ` on ${about.root}` : '') +
    `, ${card.days.length} day${card.days.length === 1 ? '' : 's'}`];
  const config = about && about.config;
  if (config) {
    parts.push(`recording ${config.loopResolutionText} at ${config.frameRateText}, ` +
      `G-sensor ${config.sensitivity}`);
  }
  const clock = about && about.clock;
  if (clock) {
    parts.push(`TIME.txt sets the clock to ${clock.year}-${two(clock.month)}-${two(clock.day)} ` +
      `${two(clock.hour)}:${two(clock.minute)}:${two(clock.second)}`);
  }
  return parts.join('; ') + '.';
}

async function start() {
  wire();
  try {
    const [listing, about] = await Promise.all([getJson('/api/videos'), getJson('/api/card')]);
    loadRecordings(listing.videos || []);
    el('card').textContent = cardText(about, (listing.videos || []).length);
    fillDays();
    fillUntimed();
    if (card.days.length > 0) {
      showDay(card.days[0]);
    } else {
      if (card.untimed.length > 0 && card.untimed[0].playable) setPosition(card.untimed[0], 0);
      drawTimeline();
    }
  } catch (error) {
    el('card').textContent = `The card could not be read: ${error.message}`;
    say(el('card').textContent, true);
  }
}

start();
