// The page around the show: loads the WebAssembly modules and the data,
// starts the music in an audio worklet on a click, and on every animation
// frame runs the program's own player (vorn.wasm: show/show_player.h, the
// scenes, the loaders, the sync logic) one pass with the music heard so far,
// then draws the frame it made. The page is the player's platform: it hands
// in keys and the control bar, and makes the worklet follow what the player
// asks of the music (pause, play on from a row).
//
// Address options: ?start=POSITION (an order position, a time such as 1:24
// or 84.5, or scene:4) starts there exactly as the whole show is there: the
// show is played from its start without picture or sound up to it first;
// ?bench times every scene over 100 frames and shows the table.
import { Music } from './music-wasm.js';

const RATE = 44100; // the rate the native program asks its sound device for
const SHOW_END = 31;
// The player's controls, as show/platform.h numbers them.
const CONTROL = { pause: 1, back: 2, forward: 3, restart: 4, loop: 7 };

const $ = (id) => document.getElementById(id);
const canvas = $('screen');
const context2d = canvas.getContext('2d', { alpha: false });

// Code page 437's upper half: the show's Swedish messages are written in it.
const CP437_HIGH =
  'ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00a0';
const cp437 = (bytes) =>
  bytes.map((b) => (b < 128 ? String.fromCharCode(b) : CP437_HIGH[b - 128])).join('');

// What the tests and the curious can read: window.vornStats.
const stats = {
  phase: 'loading',
  clickAt: 0, // performance.now() of the click that started the show
  firstFrameAt: 0, // performance.now() after the first frame was drawn
  frames: 0,
  scene: -1, // the scene of the last frame drawn
  running: -1, // the scene whose loop runs now (drawn or not)
  tick: 0,
  heardSeconds: 0, // audio clock: seconds of music heard
  syncLateMs: [], // for each sync value: how long after its row was heard it was applied
  syncLateAfterResumeMs: [], // the same for the first value after each play-on from a pause
  syncLateAfterSeekMs: [], // and after each seek
  // Passes of the player that left a sync value it had received and heard
  // unapplied: judged by the music's own clock, so load cannot change it.
  syncHeldOver: 0,
  maxPassGapMs: 0, // the most music heard between two passes since the last seek (ms)
  starved: 0, // audio blocks the worklet padded with silence
  deviceUnderruns: null, // from the browser's playout statistics, where it has them
  outputLatency: 0, // seconds, as the audio context reports it
  baseLatency: 0,
  clockSource: '',
  error: '',
};
window.vornStats = stats;

let defaults = new Map(); // the show's own files by name
let files = new Map(); // what the next show reads
let musicModule = null; // compiled music.wasm
let musicBytes = null; // and its bytes
let run = null; // the show now playing

function params() {
  const q = new URLSearchParams(location.search);
  return { start: q.has('start') ? q.get('start') : null, bench: q.has('bench') };
}

// The row ?start= names in the music now chosen: {order, row, ms}; a
// position the music lacks throws, naming what it has.
function startRow(music, text) {
  if (text === null) return { order: 0, row: 0, ms: 0 };
  const found = music.find(text);
  if (found.error) throw new PageError(found.error);
  return found;
}

// A failure the page explains: a headline and, when there is one, the
// program's own message or the browser's reason.
class PageError extends Error {
  constructor(message, detail = '') {
    super(message);
    this.detail = detail;
  }
}

// ---------------------------------------------------------------- screens

function overlay(message, detail = '', buttons = [], error = false) {
  $('overlay').hidden = false;
  $('message').textContent = message;
  $('detail').textContent = detail;
  $('detail').className = error ? 'error' : '';
  for (const id of ['start', 'again', 'ours']) $(id).hidden = !buttons.includes(id);
  const first = buttons.length ? $(buttons[0]) : null;
  if (first) first.focus();
}

function fail(message, detail = '') {
  stats.phase = 'error';
  stats.error = `${message} ${detail}`.trim();
  const changed = [...files].some(([name, bytes]) => defaults.get(name) !== bytes);
  overlay(message, detail, changed ? ['ours'] : defaults.size ? ['again'] : [], true);
  $('again').textContent = 'Try again';
}

function fitCanvas() {
  const stage = $('stage');
  const scale = Math.min(stage.clientWidth / 320, stage.clientHeight / 240);
  canvas.style.width = `${Math.floor(320 * scale)}px`;
  canvas.style.height = `${Math.floor(240 * scale)}px`;
}

// ---------------------------------------------------------------- loading

async function fetchBytes(url) {
  let response;
  try {
    response = await fetch(url);
  } catch (e) {
    throw new PageError(`Cannot load ${url}: ${e.message}.`);
  }
  if (!response.ok) throw new PageError(`Cannot load ${url}: the server answered ${response.status}.`);
  return new Uint8Array(await response.arrayBuffer());
}

function loadScript(url) {
  return new Promise((resolve, reject) => {
    const s = document.createElement('script');
    s.src = url;
    s.onload = resolve;
    s.onerror = () => reject(new PageError(`Cannot load ${url}.`));
    document.head.append(s);
  });
}

// The data package: a 4-byte length n, n bytes of JSON [{name, size}], then
// the files one after another (see pack-data.mjs).
function unpackData(pack) {
  const view = new DataView(pack.buffer, pack.byteOffset, pack.byteLength);
  if (pack.length < 4) throw new PageError('The data package is damaged.');
  const n = view.getUint32(0, true);
  let index;
  try {
    index = JSON.parse(new TextDecoder().decode(pack.subarray(4, 4 + n)));
  } catch {
    throw new PageError('The data package is damaged.');
  }
  const out = new Map();
  let at = 4 + n;
  for (const { name, size } of index) {
    if (at + size > pack.length) throw new PageError('The data package is cut short.');
    out.set(name, pack.subarray(at, at + size));
    at += size;
  }
  return out;
}

// A fresh instance of the show's module with `files` in its file system,
// every scene set up and the player made (looping from the start if
// `loop`); the loaders' messages (code page 437) are kept.
async function createShow(loop) {
  const out = [];
  const err = [];
  const into = (list) => (b) => {
    if (b !== null && b !== undefined) list.push(b & 0xff);
  };
  const vorn = await window.createVorn({
    preRun: [(m) => m.FS.init(() => null, into(out), into(err))],
    print: () => {},
    printErr: () => {},
    quit: (code, toThrow) => {
      throw toThrow;
    },
  });
  for (const [name, bytes] of files) vorn.FS.writeFile(`/${name}`, bytes);
  try {
    vorn._web_setup(loop ? 1 : 0);
  } catch (e) {
    // A loader that cannot read a file prints why and ends the program: its
    // last line on standard output, and any explanation on standard error.
    const lines = cp437(out).trim().split('\n');
    const why = [lines[lines.length - 1], cp437(err).trim()].filter(Boolean).join('\n');
    throw new PageError('A data file cannot be loaded.', why || String(e.message || e));
  }
  return vorn;
}

// ---------------------------------------------------------------- the audio clock

// Seconds of the context's time being heard now (output latency included),
// smoothed against performance.now() so that frames step evenly although
// the context's clock moves in blocks.
class AudioClock {
  constructor(ctx) {
    this.ctx = ctx;
    this.base = null; // context seconds at perfBase
    this.perfBase = 0;
    this.last = 0;
    this.pausedPerf = 0; // performance.now() of the last pause, and of the play on after it
    this.resumedPerf = 0;
  }

  // The context stands still from now (a pause) or runs on: its time did not
  // pass in between, so a reading taken before the pause must not count it.
  suspend() {
    this.pausedPerf = performance.now();
  }

  resume() {
    this.resumedPerf = performance.now();
    this.base = null;
  }

  raw() {
    const ctx = this.ctx;
    const ts = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : null;
    if (ts && ts.performanceTime > 0 && ts.contextTime > 0) {
      stats.clockSource = 'output timestamp';
      let since = performance.now() - ts.performanceTime;
      if (ts.performanceTime < this.resumedPerf)
        since -= this.resumedPerf - Math.max(this.pausedPerf, ts.performanceTime);
      return ts.contextTime + since / 1000;
    }
    stats.clockSource = 'current time less latency';
    return ctx.currentTime - (ctx.baseLatency || 0) - (ctx.outputLatency || 0);
  }

  now() {
    const raw = this.raw();
    const perf = performance.now();
    let t;
    if (this.base === null) {
      this.base = raw;
      this.perfBase = perf;
      t = raw;
    } else {
      const guess = this.base + (perf - this.perfBase) / 1000;
      const off = raw - guess;
      if (Math.abs(off) > 0.04 || this.ctx.state !== 'running') {
        this.base = raw; // a jump (start, stall, hidden tab): follow it
        this.perfBase = perf;
        t = raw;
      } else {
        this.base += off * 0.1; // drift: follow slowly
        t = guess + off * 0.1;
      }
    }
    // Never backwards (a new reading may land a little before the last).
    this.last = Math.max(this.last, t);
    return this.last;
  }
}

// ---------------------------------------------------------------- the player's bar

// Where the order positions begin, where each scene first begins and where
// the show ends, from the music chosen (times in ms): two walks of the song.
function placesIn(music) {
  const orders = music.orders();
  const scenes = [];
  let endMs = 0;
  for (const line of music.timeline(3600000).trim().split('\n')) {
    const [ms, , , , value] = line.split(' ').map(Number);
    endMs = Math.max(endMs, ms);
    if (value < 8 && !scenes.some((s) => s.scene === value)) scenes.push({ scene: value, ms });
    if (value === SHOW_END) break;
  }
  scenes.sort((a, b) => a.scene - b.scene);
  return { orders, scenes, endMs };
}

const minutes = (ms) => {
  const s = Math.max(0, Math.floor(ms / 1000));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
};

function showTime(ms, endMs) {
  $('time').textContent = `${minutes(ms)} / ${minutes(endMs)}`;
  const seek = $('seek');
  if (!seek.dragging) seek.value = String(ms / 1000);
}

// The bar steers `show`, or nothing (null) between shows.
function controlsFor(show) {
  const seek = $('seek');
  $('pause').disabled = !show;
  seek.disabled = !show;
  $('marks').textContent = '';
  if (!show) return;
  window.vornPlaces = show.places; // for the tests and the curious
  $('pause').textContent = 'Pause';
  const end = Math.max(1, show.places.endMs);
  seek.max = String(end / 1000);
  for (const { scene, ms } of show.places.scenes) {
    const mark = document.createElement('span');
    mark.style.left = `${(100 * ms) / end}%`;
    mark.title = `scene ${scene} at ${minutes(ms)}`;
    $('marks').append(mark);
  }
}

// ---------------------------------------------------------------- a show

class Show {
  constructor(vorn, at, places, music) {
    this.vorn = vorn;
    this.music = music; // for the rows that times name
    this.at = at; // the row the music starts at
    this.places = places; // the order positions' rows and times, the scenes' starts, the end
    this.gen = 0; // the music's starts from a row the player asked for: the worklet's messages carry it
    this.paused = false; // the player's pause
    this.musicPaused = false; // and the sound's, as the player asked
    this.ctx = null;
    this.node = null;
    this.clock = null;
    this.rate = RATE;
    this.startFrame = null; // context sample frame where the music's sample 0 plays
    this.sample = -1; // the music's sample heard at the last pass (-1: none yet)
    this.songOver = false; // the worklet has played the song to its end
    this.pending = []; // sample positions of queued sync values, for the sync statistics
    this.due = 0; // of those, the values heard since the music last started from a row
    this.passSample = -1; // the sample heard at the last pass
    this.firstAfter = null; // the list the next value's lateness also goes to (a pause, a seek)
    this.ended = false;
    this.raf = 0;
    this.timer = 0;
  }

  async start() {
    stats.clickAt = performance.now();
    stats.phase = 'starting';
    try {
      this.ctx = new AudioContext({ sampleRate: RATE, latencyHint: 'interactive' });
    } catch {
      try {
        this.ctx = new AudioContext(); // a browser that keeps its own rate: the music follows it
      } catch (e) {
        throw new PageError('The sound cannot start in this browser.', String(e.message || e));
      }
    }
    this.rate = this.ctx.sampleRate;
    if (!this.ctx.audioWorklet) throw new PageError('This browser has no audio worklets, which the show needs for its music.');
    try {
      await this.ctx.audioWorklet.addModule('audio-worklet.js');
    } catch (e) {
      throw new PageError('The music player cannot be loaded.', String(e.message || e));
    }
    const node = (wasm) =>
      new AudioWorkletNode(this.ctx, 'vorn-music', {
        numberOfInputs: 0,
        numberOfOutputs: 1,
        outputChannelCount: [2],
        // A copy of the module alone (a view would carry the whole data package along).
        processorOptions: { wasm, module: files.get('vorn.xm').slice(), order: this.at.order, row: this.at.row },
      });
    try {
      this.node = node(musicModule);
    } catch {
      this.node = node(musicBytes.slice()); // a browser that cannot pass compiled modules on
    }
    this.node.port.onmessage = (e) => this.message(e.data);
    this.node.connect(this.ctx.destination);
    this.clock = new AudioClock(this.ctx);
    await Promise.race([this.ctx.resume(), new Promise((r) => setTimeout(r, 1500))]);
    if (this.ctx.state !== 'running') {
      // No user gesture counted yet (a drop, say): ask for a click.
      stats.phase = 'waiting';
      await new Promise((resolve) => {
        overlay('Click to start the sound.', '', ['start']);
        $('start').onclick = () => {
          $('start').onclick = () => play();
          this.ctx.resume().then(resolve, resolve);
        };
      });
    }
    if (this.ended) return; // stopped while the sound was starting
    $('overlay').hidden = true;
    stats.phase = 'playing';
    controlsFor(this);
    this.frame();
    // Sync values keep coming due while no animation frames run (hidden tab).
    this.timer = setInterval(() => {
      if (document.hidden) this.run(false);
    }, 100);
  }

  message(m) {
    if ((m.gen ?? 0) !== this.gen) return; // from before the last start from a row
    if (m.type === 'start') this.startFrame = m.frame;
    else if (m.type === 'sync') {
      for (const v of m.values) {
        this.vorn._web_push_sync(m.start, v);
        this.pending.push(m.start);
      }
    } else if (m.type === 'status') {
      stats.starved = m.starved;
      this.songOver = m.ended;
    } else if (m.type === 'error') this.stop('Midas my ass!, somethings smelly..', `vorn.xm: ${m.message}`);
  }

  // The player's state (web_status in show_entry.cpp).
  status() {
    const s = new Int32Array(this.vorn.HEAPU8.buffer, this.vorn._web_status(), 12);
    const [ended, paused, looping, loops, showMs, scene, tick, musicSeeks, musicOrder, musicRow, musicPaused, delivered] = s;
    return { ended, paused, looping, loops, showMs, scene, tick, musicSeeks, musicOrder, musicRow, musicPaused, delivered };
  }

  // After every pass of the player: the music follows what it asked (play on
  // from a row, pause, play on), the bar shows where it is, and its end ends
  // the page's show.
  follow() {
    const s = this.status();
    if (s.musicSeeks !== this.gen) {
      this.gen = s.musicSeeks;
      this.startFrame = null;
      this.sample = -1;
      this.songOver = false;
      this.pending = [];
      this.due = 0;
      this.passSample = -1;
      stats.maxPassGapMs = 0;
      this.firstAfter = stats.syncLateAfterSeekMs;
      this.node.port.postMessage({ type: 'seek', order: s.musicOrder, row: s.musicRow, gen: this.gen });
    }
    if (Boolean(s.musicPaused) !== this.musicPaused) {
      this.musicPaused = Boolean(s.musicPaused);
      if (this.musicPaused) {
        this.clock.suspend();
        this.ctx.suspend();
      } else {
        this.clock.resume();
        this.ctx.resume();
        if (this.firstAfter !== stats.syncLateAfterSeekMs) this.firstAfter = stats.syncLateAfterResumeMs;
      }
    }
    this.paused = stats.paused = Boolean(s.paused);
    $('pause').textContent = this.paused ? 'Play' : 'Pause';
    $('loop').checked = Boolean(s.looping);
    stats.loops = s.loops;
    stats.running = s.scene;
    stats.showMs = s.showMs;
    showTime(s.showMs, this.places.endMs);
    if (s.ended) this.stop('The show has ended.');
    return s;
  }

  // The music's sample frame heard now, from where it last started, or -1
  // before its first sample is heard; it stands while the music is paused
  // (the context's clock may not).
  heard() {
    if (this.startFrame === null) return -1;
    if (!this.musicPaused) {
      this.sample = Math.max(this.sample, Math.floor(this.clock.now() * this.rate) - this.startFrame);
      stats.heardSeconds = Math.max(0, this.sample) / this.rate;
    }
    return this.sample;
  }

  // One pass of the player with the music heard now; the frame it made is
  // drawn when `picture` (not while the tab is hidden).
  run(picture) {
    if (this.ended || !this.clock) return;
    const sample = this.heard();
    if (this.passSample >= 0 && sample > this.passSample)
      stats.maxPassGapMs = Math.max(stats.maxPassGapMs, ((sample - this.passSample) * 1000) / this.rate);
    this.passSample = sample;
    while (this.pending.length && this.pending[0] <= sample) {
      const late = ((sample - this.pending.shift()) * 1000) / this.rate;
      this.due++;
      stats.syncLateMs.push(late);
      if (stats.syncLateMs.length > 2000) stats.syncLateMs.shift();
      if (this.firstAfter) this.firstAfter.push(late);
      this.firstAfter = null;
    }
    const ptr = this.vorn._web_run(sample, this.rate, this.songOver ? 1 : 0, picture ? 1 : 0);
    const after = this.status();
    // A pass that plays (not paused, not starting the music again from a row)
    // applies every value heard by then.
    if (!after.paused && !after.ended && after.musicSeeks === this.gen && after.delivered < this.due) stats.syncHeldOver++;
    const s = this.follow();
    if (!ptr || this.ended) return;
    const rgba = new Uint8ClampedArray(this.vorn.HEAPU8.buffer, ptr, 320 * 240 * 4);
    context2d.putImageData(new ImageData(rgba, 320, 240), 0, 0);
    stats.frames++;
    stats.scene = s.scene;
    stats.tick = s.tick;
    if (!stats.firstFrameAt) stats.firstFrameAt = performance.now();
  }

  frame() {
    this.raf = 0;
    this.run(true);
    if (this.ended) return;
    // The browser's own count of output underruns, under either of its names.
    const playout = this.ctx.playoutStats || this.ctx.playbackStats;
    if (playout) stats.deviceUnderruns = playout.fallbackFramesEvents ?? playout.underrunEvents ?? null;
    stats.outputLatency = this.ctx.outputLatency || 0;
    stats.baseLatency = this.ctx.baseLatency || 0;
    this.raf = requestAnimationFrame(() => this.frame());
  }

  // Visible again: draw on (the next frame has the scene and tick the music
  // has reached meanwhile).
  resume() {
    if (!this.ended && !this.raf && this.clock) this.raf = requestAnimationFrame(() => this.frame());
  }

  // A control of the player (CONTROL), handled at once.
  control(c) {
    if (this.ended || !this.clock) return;
    this.vorn._web_control(c);
    if (c === CONTROL.back || c === CONTROL.forward || c === CONTROL.restart) this.going(() => this.run(true));
    else this.run(true);
  }

  // Goes to a row exactly as the whole show is there (the player plays the
  // show up to it without output; the music then plays on from it).
  seekTo(at) {
    if (this.ended || !this.clock) return;
    this.going(() => {
      if (this.ended) return;
      const t0 = performance.now();
      this.vorn._web_seek(at.order, at.row);
      stats.seekMs = performance.now() - t0;
      this.follow();
    });
  }

  // Runs a seek once the bar's "Getting there" has reached the screen: it
  // fades in by itself after half a second, even while the seek holds the
  // page's thread (the compositor animates it).
  going(seek) {
    document.body.classList.add('going');
    const done = () => {
      try {
        seek();
      } finally {
        document.body.classList.remove('going');
      }
    };
    if (document.hidden) done();
    else requestAnimationFrame(() => setTimeout(done, 0));
  }

  // Ends the show (a key, the music's end, an error) and shows why.
  stop(message, detail = '') {
    if (this.ended) return;
    this.ended = true;
    controlsFor(null);
    cancelAnimationFrame(this.raf);
    clearInterval(this.timer);
    if (this.node) {
      this.node.port.postMessage({ type: 'stop' });
      this.node.disconnect();
    }
    if (this.ctx) this.ctx.close();
    try {
      this.vorn._web_release();
    } catch {
      // the module already stopped; nothing left to release
    }
    run = null;
    if (detail) fail(message, detail);
    else {
      stats.phase = 'ended';
      overlay(message, '', ['again']);
      $('again').textContent = 'Play again';
    }
  }
}

// Loads a show from `files` and starts it (the caller had a user gesture).
async function play() {
  if (run) run.stop('');
  $('overlay').hidden = false;
  stats.firstFrameAt = 0;
  stats.frames = 0;
  stats.syncLateMs = [];
  stats.syncLateAfterResumeMs = [];
  stats.syncLateAfterSeekMs = [];
  stats.syncHeldOver = 0;
  stats.maxPassGapMs = 0;
  stats.error = '';
  try {
    const music = await Music.create(musicModule);
    const why = music.load(files.get('vorn.xm'));
    if (why) throw new PageError('Midas my ass!, somethings smelly..', `vorn.xm: ${why}`);
    const at = startRow(music, params().start);
    const places = placesIn(music);
    const vorn = await createShow($('loop').checked);
    if (at.order > 0 || at.row > 0) {
      overlay('Getting there…', 'The show plays up to that moment first, without picture or sound.');
      await new Promise((resolve) => setTimeout(resolve, 0)); // let the words show
    }
    if (vorn._web_begin(at.order, at.row) < 0) throw new PageError(`?start=${params().start}: the show ends before it.`);
    run = new Show(vorn, at, places, music);
    await run.start();
  } catch (e) {
    if (run) {
      run.ended = true;
      run = null;
    }
    if (e instanceof PageError) fail(e.message, e.detail);
    else fail('The show stopped on an error.', String(e.message || e));
  }
}

// ---------------------------------------------------------------- your files

async function takeFiles(list) {
  const known = new Set(defaults.keys());
  const taken = [];
  const ignored = [];
  for (const f of list) {
    const name = f.name.toLowerCase();
    if (known.has(name)) {
      files.set(name, new Uint8Array(await f.arrayBuffer()));
      taken.push(name);
    } else ignored.push(f.name);
  }
  if (!taken.length) {
    if (run) return;
    overlay('None of these files has one of the show\'s file names.', `Names: ${[...known].join(', ')}`, ['again']);
    return;
  }
  console.info(`your files: ${taken.join(', ')}${ignored.length ? `; not used: ${ignored.join(', ')}` : ''}`);
  await play();
}

// ---------------------------------------------------------------- bench

// Every scene's frame time over 100 frames (best of 20 rounds), as the
// native reference measures it.
async function bench() {
  const vorn = await window.createVorn({ print: () => {}, printErr: () => {} });
  for (const [name, bytes] of files) vorn.FS.writeFile(`/${name}`, bytes);
  vorn._web_probe_setup();
  const rows = [];
  for (let scene = 0; scene < 8; scene++) {
    for (let i = 0; i < 10; i++) vorn._web_probe_render(scene, i); // warm up
    let best = Infinity; // the best of 20 rounds: the machine may be busy
    for (let round = 0; round < 20; round++) {
      const t0 = performance.now();
      for (let i = 0; i < 100; i++) vorn._web_probe_render(scene, 10 + 3 * i);
      best = Math.min(best, (performance.now() - t0) / 100);
    }
    rows.push({ scene, ms: best });
  }
  // Reaching the last order position as ?start= does: the show played from
  // its start without output, against the time it plays for.
  const music = await Music.create(musicModule);
  music.load(files.get('vorn.xm'));
  const orders = music.orders();
  const last = orders[orders.length - 1];
  vorn._web_setup(0);
  const t0 = performance.now();
  vorn._web_begin(last.order, last.row);
  const reachMs = performance.now() - t0;
  window.vornReach = { order: last.order, showMs: last.ms, ms: reachMs, share: reachMs / last.ms };
  window.vornBench = rows;
  overlay('Frame time per scene (100 frames each, best of 20 rounds)', rows.map((r) => `scene ${r.scene}: ${r.ms.toFixed(3)} ms`).join('\n'));
}

// ---------------------------------------------------------------- wiring

function fullscreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.documentElement.requestFullscreen?.().catch(() => {});
}

function wire() {
  addEventListener('resize', fitCanvas);
  fitCanvas();
  $('start').onclick = () => play();
  $('again').onclick = () => play();
  $('ours').onclick = () => {
    files = new Map(defaults);
    play();
  };
  $('fullscreen').onclick = fullscreen;
  $('pause').onclick = (e) => {
    e.currentTarget.blur(); // Space goes to the page's keys, not to the button again
    if (run) run.control(CONTROL.pause);
  };
  $('loop').onchange = (e) => {
    e.currentTarget.blur();
    if (run) run.control(CONTROL.loop);
  };
  const seek = $('seek');
  seek.oninput = () => {
    seek.dragging = true;
    $('time').textContent = `${minutes(1000 * Number(seek.value))} / ${$('time').textContent.split(' / ')[1]}`;
  };
  seek.onchange = () => {
    seek.dragging = false;
    if (!run || run.ended) return;
    const found = run.music.find(`${Number(seek.value).toFixed(2)}`);
    run.seekTo(found.error ? { order: 0, row: 0 } : found);
  };
  $('files').onchange = (e) => {
    takeFiles([...e.target.files]);
    e.target.value = '';
  };
  addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.altKey || e.metaKey) return;
    const playing = run && run.clock && !run.ended;
    const steer = { ' ': CONTROL.pause, ArrowLeft: CONTROL.back, ArrowRight: CONTROL.forward, Home: CONTROL.restart };
    if (e.key === 'f' || e.key === 'F') {
      fullscreen();
      e.preventDefault();
    } else if (playing && steer[e.key]) {
      run.control(steer[e.key]);
      e.preventDefault();
    } else if (playing && ['Shift', 'Control', 'Alt', 'Meta', 'Tab'].indexOf(e.key) < 0 && e.target !== $('seek')) {
      run.vorn._web_stop(); // Escape and every other key end the show
      run.run(false);
      e.preventDefault();
    }
  });
  document.addEventListener('visibilitychange', () => {
    if (!document.hidden && run) run.resume();
  });
  addEventListener('dragover', (e) => {
    e.preventDefault();
    document.body.classList.add('dragging');
  });
  addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    takeFiles([...e.dataTransfer.files]);
  });
}

async function boot() {
  if (typeof WebAssembly !== 'object') return; // the inline script said so
  wire();
  try {
    const { bench: benching } = params();
    const [pack, wasm] = await Promise.all([fetchBytes('data.pack'), fetchBytes('music.wasm')]);
    defaults = unpackData(pack);
    if (!defaults.has('vorn.xm')) throw new PageError('The data package has no vorn.xm.');
    files = new Map(defaults);
    musicBytes = wasm;
    try {
      musicModule = await WebAssembly.compile(wasm);
    } catch (e) {
      throw new PageError('music.wasm is damaged.', String(e.message || e));
    }
    await loadScript('vorn.js');
    if (benching) return await bench();
    // A ?start= the music does not have is said now, before the click.
    const { start } = params();
    if (start !== null) {
      const music = await Music.create(musicModule);
      if (!music.load(files.get('vorn.xm'))) startRow(music, start);
    }
    stats.phase = 'ready';
    overlay('Vorn', 'Sound on. Space pauses, the arrows jump, F switches to full screen; Escape or any other key stops the show.', ['start']);
  } catch (e) {
    if (e instanceof PageError) fail(e.message, e.detail);
    else fail('The page cannot start.', String(e.message || e));
  }
}

boot();
