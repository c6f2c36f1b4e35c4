// The show that plays now: a fresh instance of the program's player (made
// from the files chosen), its music started in the audio worklet, one pass
// of the player on every animation frame with the music heard so far, the
// music made to follow what the player asks of it (pause, play on from a
// row), the viewer's controls and seeks, and the show's end.
import { Music } from './music-wasm.js';
import { $, CONTROL, PageError, RATE, params, stats } from './shared.js';
import { HeardSample } from './audio-clock.js';
import { data } from './files.js';
import { createShow } from './vorn-module.js';
import { controlsFor, minutes, placesIn, positionsTaken, showPlayer, withoutProgram } from './player-bar.js';
import { fail, overlay } from './screens.js';
import { gentleOn } from './gentle.js';
import { clearSigns, jumpCaption, orderAt, showCaption, showPaused } from './signs.js';

const context2d = $('screen').getContext('2d', { alpha: false });

let run = null; // the show now playing

// The show now playing, or null.
export const current = () => run;

// The row or moment ?start= names in the music now chosen: {order, row, ms,
// timeMs} (music-wasm.js find); a
// position the music lacks throws, naming what it has and the positions the
// page takes.
export function startRow(music, text) {
  if (text === null) return { order: 0, row: 0, ms: 0, timeMs: -1 };
  const found = music.find(text);
  if (found.error) throw new PageError(withoutProgram(found.error), positionsTaken(placesIn(music)));
  return found;
}

// How late the sync values are applied, for the statistics: each value is
// queued with the sample where its row starts and comes due at the first
// pass that hears that sample.
class SyncLateness {
  constructor() {
    this.pending = []; // sample positions of queued sync values
    this.due = 0; // of those, the values heard since the music last started from a row
    this.passSample = -1; // the sample heard at the last pass
    this.firstAfter = null; // the list the next value's lateness also goes to (a pause, a seek)
  }

  queued(sample) {
    this.pending.push(sample);
  }

  // The music starts again from a row.
  seeked() {
    this.pending = [];
    this.due = 0;
    this.passSample = -1;
    stats.maxPassGapMs = 0;
    this.firstAfter = stats.syncLateAfterSeekMs;
  }

  playsOn() {
    if (this.firstAfter !== stats.syncLateAfterSeekMs) this.firstAfter = stats.syncLateAfterResumeMs;
  }

  // A pass of the player hears up to `sample`.
  pass(sample, rate) {
    if (this.passSample >= 0 && sample > this.passSample)
      stats.maxPassGapMs = Math.max(stats.maxPassGapMs, ((sample - this.passSample) * 1000) / rate);
    this.passSample = sample;
    while (this.pending.length && this.pending[0] <= sample) {
      const late = ((sample - this.pending.shift()) * 1000) / rate;
      this.due++;
      stats.syncLateMs.push(late);
      if (stats.syncLateMs.length > 2000) stats.syncLateMs.shift();
      if (this.firstAfter) this.firstAfter.push(late);
      this.firstAfter = null;
    }
  }
}

// The audio context, at the native program's rate where the browser allows.
function audioContext() {
  try {
    return new AudioContext({ sampleRate: RATE, latencyHint: 'interactive' });
  } catch {
    try {
      return new AudioContext(); // a browser that keeps its own rate: the music follows it
    } catch (e) {
      throw new PageError('The sound cannot start in this browser.', String(e.message || e));
    }
  }
}

// The worklet that plays the music from `from` (the status's music start:
// {musicOrder, musicRow, musicSkip, musicRowValues}), on `ctx`.
async function musicNode(ctx, from) {
  if (!ctx.audioWorklet) throw new PageError('This browser has no audio worklets, which the show needs for its music.');
  try {
    await ctx.audioWorklet.addModule('audio-worklet.js');
  } catch (e) {
    throw new PageError('The music player cannot be loaded.', String(e.message || e));
  }
  const node = (wasm) =>
    new AudioWorkletNode(ctx, 'vorn-music', {
      numberOfInputs: 0,
      numberOfOutputs: 1,
      outputChannelCount: [2],
      // A copy of the module alone (a view would carry the whole data package along).
      processorOptions: {
        wasm,
        module: data.files.get('vorn.xm').slice(),
        order: from.musicOrder,
        row: from.musicRow,
        skip: from.musicSkip,
        rowValues: Boolean(from.musicRowValues),
      },
    });
  try {
    return node(data.musicModule);
  } catch {
    return node(data.musicBytes.slice()); // a browser that cannot pass compiled modules on
  }
}

class Show {
  constructor(vorn, at, places, music) {
    this.vorn = vorn;
    this.music = music; // for the rows that times name
    this.at = at; // the row the music starts at
    this.places = places; // the order positions' rows and times, the scenes' starts, the end
    this.gen = 0; // the music's starts from a row the player asked for: the worklet's messages carry it
    this.paused = false; // the player's pause
    this.ctx = null;
    this.node = null;
    this.heard = null; // the music's sample heard now, once the sound is set up
    this.rate = RATE;
    this.songOver = false; // the worklet has played the song to its end
    this.sync = new SyncLateness();
    this.ended = false;
    this.raf = 0;
    this.timer = 0;
    this.looping = null; // the loop state on the bar, once the show plays
    // A jump's caption ({ms}: where it landed), shown with its first frame.
    this.caption = at.order > 0 || at.row > 0 || at.timeMs > 0 ? { ms: at.ms } : null;
  }

  async start() {
    stats.clickAt = performance.now();
    stats.phase = 'starting';
    this.ctx = audioContext();
    this.rate = this.ctx.sampleRate;
    this.node = await musicNode(this.ctx, this.status());
    this.node.port.onmessage = (e) => this.message(e.data);
    this.node.connect(this.ctx.destination);
    this.heard = new HeardSample(this.ctx, this.rate);
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
    if (m.type === 'start') this.heard.startFrame = m.frame;
    else if (m.type === 'sync') {
      for (const v of m.values) {
        this.vorn._web_push_sync(m.start, v);
        this.sync.queued(m.start);
      }
    } else if (m.type === 'status') {
      stats.starved = m.starved;
      this.songOver = m.ended;
    } else if (m.type === 'error') this.stop('Midas my ass!, somethings smelly..', `vorn.xm: ${m.message}`);
  }

  // The player's state (web_status in show_entry.cpp).
  status() {
    const s = new Int32Array(this.vorn.HEAPU8.buffer, this.vorn._web_status(), 18);
    const [ended, paused, looping, loops, showMs, scene, tick, musicSeeks, musicOrder, musicRow, musicPaused, delivered, jumpMs, jumpPercent, snapshotsDone, snapshotKb, musicSkip, musicRowValues] = s;
    return { ended, paused, looping, loops, showMs, scene, tick, musicSeeks, musicOrder, musicRow, musicPaused, delivered, jumpMs, jumpPercent, snapshotsDone, snapshotKb, musicSkip, musicRowValues };
  }

  // After every pass of the player: the music follows what it asked (play on
  // from a row, pause, play on), the bar shows where it is, and its end ends
  // the page's show.
  follow() {
    const s = this.status();
    if (s.musicSeeks !== this.gen) {
      this.gen = s.musicSeeks;
      this.heard.restart();
      this.songOver = false;
      this.sync.seeked();
      this.node.port.postMessage({
        type: 'seek',
        order: s.musicOrder,
        row: s.musicRow,
        skip: s.musicSkip,
        rowValues: Boolean(s.musicRowValues),
        gen: this.gen,
      });
    }
    if (Boolean(s.musicPaused) !== this.heard.paused) {
      this.heard.pause(Boolean(s.musicPaused));
      if (this.heard.paused) this.ctx.suspend();
      else {
        this.ctx.resume();
        this.sync.playsOn();
      }
    }
    // A jump plays in slices between the page's frames: "Getting there"
    // shows while it takes long, and the time from the click to its frame
    // is kept (the page's bench reads it).
    document.body.classList.toggle('going', s.jumpMs >= 0);
    if (s.jumpMs >= 0) $('going').textContent = `getting to ${minutes(s.jumpMs)}: ${s.jumpPercent} %`;
    if (this.jumpAt && s.jumpMs < 0) {
      this.caption = { ms: s.showMs };
      stats.seekMs = performance.now() - this.jumpAt;
      stats.seeks++;
      this.jumpAt = 0;
    }
    stats.jumpPercent = s.jumpPercent;
    stats.snapshotsDone = Boolean(s.snapshotsDone);
    stats.snapshotKb = s.snapshotKb;
    this.paused = stats.paused = Boolean(s.paused);
    this.signs(s);
    stats.loops = s.loops;
    stats.running = s.scene;
    stats.showMs = s.showMs;
    showPlayer(s, this.places.endMs);
    if (s.ended) this.stop('The show has ended.');
    return s;
  }

  // One pass of the player with the music heard now; the frame it made is
  // drawn when `picture` (not while the tab is hidden).
  run(picture) {
    if (this.ended || !this.heard) return;
    const sample = this.heard.now();
    this.sync.pass(sample, this.rate);
    const ptr = this.vorn._web_run(sample, this.rate, this.songOver ? 1 : 0, picture ? 1 : 0);
    const after = this.status();
    // A pass that plays (not paused, not starting the music again from a row)
    // applies every value heard by then.
    if (!after.paused && !after.ended && after.musicSeeks === this.gen && after.delivered < this.sync.due) stats.syncHeldOver++;
    const s = this.follow();
    if (!ptr || this.ended) return;
    const rgba = new Uint8ClampedArray(this.vorn.HEAPU8.buffer, ptr, 320 * 240 * 4);
    context2d.putImageData(new ImageData(rgba, 320, 240), 0, 0);
    stats.frames++;
    stats.gentleChanged = this.vorn._web_gentle(-1);
    stats.scene = s.scene;
    stats.tick = s.tick;
    if (!stats.firstFrameAt) stats.firstFrameAt = performance.now();
    if (this.caption) this.jumped(s);
  }

  // The Gentle switch: the frames from the next on shown gently, or as drawn.
  gentle(on) {
    stats.gentleChanged = this.vorn._web_gentle(on ? 1 : 0);
  }

  // The signs over the picture after a pass (signs.js): the pause sign, the
  // loop state when it changes, and a landed jump's caption at once while
  // paused (no frame comes).
  signs(s) {
    showPaused(this.paused);
    if (this.looping !== null && Boolean(s.looping) !== this.looping) showCaption(`looping ${s.looping ? 'on' : 'off'}`);
    this.looping = Boolean(s.looping);
    if (this.caption && this.paused && s.jumpMs < 0) this.jumped(s);
  }

  // A jump's caption: where it landed and the scene shown.
  jumped(s) {
    const ms = this.caption.ms ?? s.showMs;
    showCaption(jumpCaption(orderAt(this.places.orders, ms), s.scene, ms));
    this.caption = null;
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

  // Whether the show plays (its sound set up, not ended): keys steer it.
  playing() {
    return Boolean(this.heard) && !this.ended;
  }

  // Visible again: draw on (the next frame has the scene and tick the music
  // has reached meanwhile).
  resume() {
    if (!this.ended && !this.raf && this.heard) this.raf = requestAnimationFrame(() => this.frame());
  }

  // A control of the player (CONTROL), handled at once.
  control(c) {
    if (this.ended || !this.heard) return;
    this.vorn._web_control(c);
    if (c === CONTROL.back || c === CONTROL.forward || c === CONTROL.restart) this.jumpAt = performance.now();
    this.run(true);
  }

  // A key that ends the show (Escape and every other key but the player's).
  stopKey() {
    this.vorn._web_stop();
    this.run(false);
  }

  // Goes to a row exactly as the whole show is there: the player plays the
  // show up to it without output, in slices between frames (from the last
  // snapshot before it, once they are made); the music then plays on from it.
  seekTo(at) {
    if (this.ended || !this.heard) return;
    this.jumpAt = performance.now();
    this.vorn._web_seek(at.order, at.row, at.timeMs ?? -1);
    this.run(true);
  }

  // Ends the show (a key, the music's end, an error) and shows why.
  stop(message, detail = '') {
    if (this.ended) return;
    this.ended = true;
    controlsFor(null);
    clearSigns();
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

// Loads a show from the files chosen and starts it at `start` (a position
// as ?start= names it; the address's by default). The caller had a user
// gesture.
export async function play(start = params().start) {
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
    const music = await Music.create(data.musicModule);
    const why = music.load(data.files.get('vorn.xm'));
    if (why) throw new PageError('Midas my ass!, somethings smelly..', `vorn.xm: ${why}`);
    const at = startRow(music, start);
    const places = placesIn(music);
    const vorn = await createShow($('loop').checked);
    vorn._web_gentle(gentleOn() ? 1 : 0);
    // A start later in the show plays the show up to it first, in slices,
    // the page showing how far it has come between them.
    vorn._web_begin(at.order, at.row, at.timeMs ?? -1);
    let begun;
    while ((begun = vorn._web_begin_step(25)) === -2) {
      const percent = new Int32Array(vorn.HEAPU8.buffer, vorn._web_status(), 18)[13];
      overlay('Getting there…', `getting to ${minutes(at.ms ?? 0)}: ${percent} %`);
      await new Promise((resolve) => setTimeout(resolve, 0));
    }
    if (begun < 0) throw new PageError(`?start=${start}: the show ends before it.`, positionsTaken(places));
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
