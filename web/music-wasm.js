// The music module (music.wasm: libxmp and our sync reader) with the few
// imports it needs, for the audio worklet, the page and the tests alike.
//
//   const music = await Music.create(wasmModuleOrBytes);
//   music.load(moduleBytes)        -> '' or the reason the module is unreadable
//   music.start(rate, order, row, skip, rowValues)
//                                  -> true, or false (past the song's end, a
//                                     rate the player refuses): see error();
//                                     `skip` sample frames (at 48 kHz) into
//                                     the row, its own sync values handed
//                                     over unless rowValues is false
//   music.restart(...)                the same while playing (a seek)
//   music.tick()                   -> renders one tick: {frames, samples
//                                     (Int16Array view, stereo), start (sample
//                                     frame), sync: [values of the row entered]},
//                                     or null once the song cannot go on
//   music.stateAtOrder(order)      -> Uint8Array(10) sync state, or null
//   music.timeline(maxMs)          -> the sync timeline as text
//   music.orders()                 -> [{order, row, ms}] in playing order
//   music.find(text)               -> {order, row, ms, timeMs} of the
//                                     position a ?start= names (12, 1:24,
//                                     scene:4): a row (timeMs -1), or a
//                                     moment in it; or {error} naming what
//                                     the music has
// Nothing here blocks or fetches: the caller brings the compiled module.

const ENOSYS = 52;
const EBADF = 8;

export class Music {
  static async create(source) {
    const m = new Music();
    const imports = m.imports();
    const instance =
      source instanceof WebAssembly.Module
        ? await WebAssembly.instantiate(source, imports)
        : (await WebAssembly.instantiate(source, imports)).instance;
    m.exports = instance.exports;
    m.exports._initialize();
    return m;
  }

  constructor() {
    this.output = ''; // what the C++ side printed (it prints nothing in normal use)
  }

  imports() {
    const self = this;
    const memory = () => new DataView(self.exports.memory.buffer);
    return {
      env: {
        emscripten_notify_memory_growth() {},
        __syscall_getdents64: () => -ENOSYS,
        __syscall_stat64: () => -ENOSYS,
      },
      wasi_snapshot_preview1: {
        proc_exit(code) {
          throw new Error(`music module exited with ${code}: ${self.output}`);
        },
        fd_close: () => EBADF,
        fd_read: () => EBADF,
        fd_seek: () => EBADF,
        fd_write(fd, iovs, count, written) {
          const view = memory();
          let total = 0;
          for (let i = 0; i < count; i++) {
            const ptr = view.getUint32(iovs + 8 * i, true);
            const len = view.getUint32(iovs + 8 * i + 4, true);
            const bytes = new Uint8Array(self.exports.memory.buffer, ptr, len);
            self.output += String.fromCharCode(...bytes);
            total += len;
          }
          view.setUint32(written, total, true);
          return 0;
        },
        environ_sizes_get(count, size) {
          const view = memory();
          view.setUint32(count, 0, true);
          view.setUint32(size, 0, true);
          return 0;
        },
        environ_get: () => 0,
      },
    };
  }

  cString(ptr) {
    const bytes = new Uint8Array(this.exports.memory.buffer, ptr);
    let end = 0;
    while (bytes[end] !== 0) end++;
    // ASCII only (TextDecoder is missing in audio worklets).
    return String.fromCharCode(...bytes.subarray(0, end));
  }

  load(moduleBytes) {
    const e = this.exports;
    const ptr = e.music_buffer(moduleBytes.length);
    new Uint8Array(e.memory.buffer, ptr, moduleBytes.length).set(moduleBytes);
    return e.music_load() ? '' : this.cString(e.music_error());
  }

  start(rate, order, row = 0, skip = 0, rowValues = true) {
    return this.exports.music_start(rate, order, row, skip, rowValues ? 1 : 0) !== 0;
  }

  restart(rate, order, row, skip = 0, rowValues = true) {
    return this.exports.music_restart(rate, order, row, skip, rowValues ? 1 : 0) !== 0;
  }

  // Why the last load or start failed.
  error() {
    return this.cString(this.exports.music_error());
  }

  tick() {
    const e = this.exports;
    const frames = e.music_tick();
    if (frames === 0) return null;
    const sync = [];
    const n = e.music_sync_count();
    for (let i = 0; i < n; i++) sync.push(e.music_sync_value(i));
    return {
      frames,
      samples: new Int16Array(e.memory.buffer, e.music_samples(), frames * 2),
      start: e.music_tick_start(),
      sync,
    };
  }

  stateAtOrder(order) {
    const e = this.exports;
    if (!e.music_state_at_order(order)) return null;
    return new Uint8Array(e.memory.buffer, e.music_state(), 10).slice();
  }

  find(text) {
    const e = this.exports;
    const bytes = Array.from(text, (c) => c.charCodeAt(0) & 0xff);
    const ptr = e.music_text_buffer(bytes.length);
    new Uint8Array(e.memory.buffer, ptr, bytes.length).set(bytes);
    if (!e.music_find(bytes.length)) return { error: this.cString(e.music_error()) };
    const found = new Int32Array(e.memory.buffer, e.music_found(), 4);
    return { order: found[0], row: found[1], ms: found[2], timeMs: found[3] };
  }

  timeline(maxMs) {
    return this.cString(this.exports.music_timeline(maxMs));
  }

  // The order positions in playing order: [{order, row, ms}].
  orders() {
    return this.cString(this.exports.music_orders())
      .trim()
      .split('\n')
      .filter(Boolean)
      .map((line) => {
        const [order, row, ms] = line.split(' ').map(Number);
        return { order, row, ms };
      });
  }
}
