// The music on the audio thread: libxmp (music.wasm) renders the module one
// tick at a time into a ring a little ahead of what is played, inside the
// audio callback itself, so neither a hidden tab nor a busy page can starve
// it. The sync values of each row entered go to the page with the sample
// frame where the row starts; the page applies them when that sample is heard.
//
// Messages from the page:
//   {type: 'seek', order, row, skip, rowValues, gen}
//                                   play on from that row, `skip` sample
//                                   frames at 48 kHz into it (music-wasm.js):
//                                   sample 0 is the first played again, and
//                                   every message after carries `gen`
//   {type: 'stop'}
// Messages to the page (each with the `gen` of the last seek, 0 before):
//   {type: 'start', frame}          music sample 0 leaves this node at context
//                                   sample frame `frame`
//   {type: 'sync', start, values}   a row's sync values and its first sample
//   {type: 'status', played, starved, ended}   every half second
//   {type: 'error', message}        the music cannot play
import { Music } from './music-wasm.js';

const RING = 16384; // sample frames, a power of two
// Rendered beyond the current block: a tenth of a second, so that the sync
// values reach the page well before their rows are heard.
const AHEAD = 4096;

class VornMusicProcessor extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const { wasm, module, order, row, skip, rowValues } = options.processorOptions;
    this.left = new Float32Array(RING);
    this.right = new Float32Array(RING);
    this.read = 0; // sample frames played (ring positions grow without wrapping)
    this.write = 0; // sample frames rendered
    this.starved = 0; // blocks that had to be padded with silence
    this.ended = false;
    this.music = null;
    this.started = false;
    this.stopped = false;
    this.lastStatus = 0;
    this.gen = 0;
    this.port.onmessage = (e) => {
      if (!e.data) return;
      if (e.data.type === 'stop') this.stopped = true;
      else if (e.data.type === 'seek') this.seek(e.data);
    };
    Music.create(wasm)
      .then((music) => {
        const error = music.load(module);
        if (error) throw new Error(error);
        if (!music.start(sampleRate, order, row, skip, rowValues)) throw new Error(`${music.error()} (order ${order}, row ${row} at ${sampleRate} Hz)`);
        this.music = music;
      })
      .catch((e) => this.post({ type: 'error', message: String(e.message || e) }));
  }

  post(message) {
    this.port.postMessage({ ...message, gen: this.gen });
  }

  // Plays on from a row: what is in the ring is dropped, and the next block
  // says where the new sample 0 plays.
  seek({ order, row, skip, rowValues, gen }) {
    this.gen = gen;
    if (!this.music) return;
    this.read = this.write = 0;
    this.ended = false;
    this.started = false;
    if (!this.music.restart(sampleRate, order, row, skip, rowValues))
      this.post({ type: 'error', message: `${this.music.error()} (order ${order}, row ${row})` });
  }

  // Renders ticks until `frames` sample frames are waiting in the ring.
  fill(frames) {
    while (!this.ended && this.write - this.read < frames) {
      const tick = this.music.tick();
      if (!tick) {
        this.ended = true;
        break;
      }
      if (tick.sync.length)
        this.post({ type: 'sync', start: tick.start, values: tick.sync });
      const s = tick.samples;
      for (let i = 0; i < tick.frames; i++) {
        const at = (this.write + i) & (RING - 1);
        this.left[at] = s[2 * i] / 32768;
        this.right[at] = s[2 * i + 1] / 32768;
      }
      this.write += tick.frames;
    }
  }

  process(inputs, outputs) {
    if (this.stopped) return false;
    const out = outputs[0];
    const left = out[0];
    const right = out[1] || out[0];
    if (!this.music) return true; // silence until the module is ready
    if (!this.started) {
      this.started = true;
      this.post({ type: 'start', frame: currentFrame });
    }
    const n = left.length;
    this.fill(n + AHEAD);
    const have = Math.min(n, this.write - this.read);
    for (let i = 0; i < have; i++) {
      const at = (this.read + i) & (RING - 1);
      left[i] = this.left[at];
      right[i] = this.right[at];
    }
    if (have < n) {
      left.fill(0, have);
      right.fill(0, have);
      if (!this.ended) this.starved++;
    }
    this.read += have;
    if (currentTime - this.lastStatus >= 0.5) {
      this.lastStatus = currentTime;
      this.post({
        type: 'status',
        played: this.read,
        starved: this.starved,
        ended: this.ended,
      });
    }
    return true;
  }
}

registerProcessor('vorn-music', VornMusicProcessor);
