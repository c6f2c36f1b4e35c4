// The WebAssembly build against the native one, under node:
//   node --no-experimental-fetch node_equality.mjs WEB_REFERENCE SITE_DIR DATA_DIR
// - every scene's frame hash at several ticks and flag sets (one sequence on a
//   persistent frame, as the show draws);
// - the first 30 s of vorn.xm: the samples' hash and every row's sync values
//   with their sample positions, at 44.1 kHz;
// - the sync timeline and the sync state at every order position;
// - the page's pass of the player: which scene runs, the tick counter it
//   gets, a pause; a hundred loops in flat memory.
// Exits 77 (skipped) without a site.
import { execFileSync } from 'node:child_process';
import { existsSync, readdirSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [reference, site, data] = process.argv.slice(2).map((p) => resolve(p));
if (!existsSync(join(site, 'vorn.js')) || !existsSync(join(site, 'music.wasm'))) {
  console.log(`SKIP: no web build at ${site} (make web builds it; it needs emscripten)`);
  process.exit(77);
}

let passed = 0;
let failed = 0;
function check(name, wasm, native) {
  if (wasm === native) {
    passed++;
    console.log(`ok   ${name}`);
    return;
  }
  failed++;
  const a = wasm.split('\n');
  const b = native.split('\n');
  const i = a.findIndex((line, k) => line !== b[k]);
  console.log(`FAIL ${name}: first difference at line ${i + 1}\n  wasm:   ${a[i]}\n  native: ${b[i]}`);
}
const native = (...args) => execFileSync(reference, [data, ...args], { encoding: 'utf8', maxBuffer: 1 << 26 });

// ---- frames
const show = await createRequire(import.meta.url)(join(site, 'vorn.js'))({
  print: () => {},
  printErr: () => {},
  locateFile: (f) => join(site, f),
});
const files = readdirSync(data).filter((n) => /\.(pcx|lwo|xm)$/.test(n));
for (const name of files) show.FS.writeFile(`/${name}`, readFileSync(join(data, name)));
show.FS.chdir('/');
// Each scene at the start, a little later with the flags it reads raised, and far on.
const consumed = [1 << 3 | 1 << 4, 0x72, 0x72, 0x2, 0x2, 0x12, 0x22, 0];
const frames = [];
for (let scene = 0; scene < 8; scene++)
  frames.push(`${scene}:0:0`, `${scene}:35:${consumed[scene]}`, `${scene}:36:0`, `${scene}:400:0`, `${scene}:5000:${consumed[scene]}`);
show._web_probe_setup();
const hex = (h) => (h >>> 0).toString(16).padStart(8, '0');
const wasmFrames = frames.map((f) => {
  const [s, t, m] = f.split(':').map(Number);
  return `${f} ${hex(show._web_probe_frame(s, t, m))}`;
});
check(`${frames.length} frames of the eight scenes`, wasmFrames.join('\n') + '\n', native('frames', ...frames));

// ---- music
const { Music } = await import(pathToFileURL(join(site, 'music-wasm.js')));
const music = await Music.create(readFileSync(join(site, 'music.wasm')));
const module = readFileSync(join(data, 'vorn.xm'));
check('vorn.xm loads', music.load(module), '');
music.start(44100, 0);
let out = '';
let rendered = 0;
let h = 2166136261;
while (rendered < 30 * 44100) {
  const tick = music.tick();
  if (!tick) break;
  for (const v of tick.sync) out += `sync ${tick.start} ${v}\n`;
  for (const s of tick.samples) {
    const u = s & 0xffff;
    h = Math.imul(h ^ (u & 0xff), 16777619) >>> 0;
    h = Math.imul(h ^ (u >> 8), 16777619) >>> 0;
  }
  rendered += tick.frames;
}
out += `samples ${rendered} ${hex(h)}\n`;
check('the first 30 s of vorn.xm at 44.1 kHz: samples and sync positions', out, native('samples', '44100', '30'));
check('sync timeline', music.timeline(1e9), native('timeline', '1000000000'));
let states = '';
for (let order = 0; order < 256; order++) {
  const s = music.stateAtOrder(order);
  if (!s) break;
  states += `${order} ${[...s].join(' ')}\n`;
}
check('sync state at every order position', states, native('states'));

// ---- the page's pass of the player, against the program's main loop: the
// scene number follows the sync values heard; the tick counter counts 70 per
// second of music heard from the moment the scene's loop began; a pause
// holds the ticks and the music, and playing on goes on without a jump.
// The music is heard at 1000 samples per second here, so samples are ms.
const status = () => [...new Int32Array(show.HEAPU8.buffer, show._web_status(), 12)];
const status18 = () => [...new Int32Array(show.HEAPU8.buffer, show._web_status(), 18)];
const PAUSE = 1;
show._web_setup(0);
show._web_begin(0, 0, -1);
const passes = [
  // [sync values to queue as [sample, value]], control, heard sample -> scene, tick, paused (P) or ended (E)
  [[], 0, 0, '0 0'],
  [[], 0, 499, '0 34'], // 499 ms: 34.93 ticks, truncated
  [[[1000, 2], [1000, 33]], 0, 999, '0 69'], // not heard yet
  [[], 0, 1000, '2 0'], // heard: scene 2 starts its loop now
  [[[2000, 2]], 0, 2000, '2 70'], // the same scene again: no restart
  [[], PAUSE, 2100, 'P'], // paused at 2100 ms
  [[], 0, 9000, 'P'], // what the clock reads meanwhile does not count
  [[], PAUSE, 9000, '2 77'], // on from 2100 ms: 1100 ms into scene 2
  [[], 0, 9100, '2 84'],
  [[[10000, 9]], 0, 10000, '-1'], // 8..30: no scene runs
  [[[11000, 2]], 0, 11000, '2 0'], // back: a fresh start
  [[[12000, 31]], 0, 12000, 'E'], // the end
];
let loop = '';
let expected = '';
for (const [events, control, heard, want] of passes) {
  for (const [sample, value] of events) show._web_push_sync(sample, value);
  if (control) show._web_control(control);
  const drew = show._web_run(heard, 1000, 0, 1) !== 0;
  const [ended, paused, , , , scene, tick, , , , musicPaused] = status();
  const got = ended ? 'E' : paused ? (musicPaused && !drew ? 'P' : 'P?') : drew ? `${scene} ${tick}` : `${scene}`;
  loop += `${heard}: ${got}\n`;
  expected += `${heard}: ${want}\n`;
}
check("the player's passes: scene, tick counter, pause", loop, expected);
show._web_release();

// ---- looping a hundred times through scene 1 and the metaballs: the
// music is asked to start again each time, and the module's memory stays
// within 2 MB of what it held after the second loop (once the snapshots
// for quick jumps, made between frames, are all made).
show._web_setup(1);
show._web_begin(0, 0, -1);
while (!new Int32Array(show.HEAPU8.buffer, show._web_status(), 18)[14]) show._web_run(0, 1000, 0, 0);
const heap = [];
for (let n = 0; n < 100; n++) {
  show._web_push_sync(0, 1);
  show._web_push_sync(100, 6);
  for (let i = 0; i < 10; i++) show._web_run(20 * i, 1000, 0, 1);
  show._web_run(200, 1000, 1, 1); // the song's end: the show starts again
  if (n === 1 || n === 99) heap.push(show.HEAPU8.length);
}
const [, , looping, loops, , , , musicSeeks, musicOrder, musicRow] = status();
check('a hundred loops', `${looping} ${loops} ${musicSeeks} ${musicOrder} ${musicRow} ${heap[1] - heap[0] <= 2 << 20}`,
  `1 100 100 0 0 true`);
show._web_release();

// ---- a start at a moment (?start=1:24.5): the show lands on the first
// frame at or after it, and the music starts part way into the row playing
// then (order 11 from 1:24.48: 20 ms, 960 samples at 48 kHz, its own sync
// values already handed over by the landing).
show._web_setup(0);
show._web_begin(11, 0, 84500);
let begun;
while ((begun = show._web_begin_step(1000)) === -2);
const moment = status18();
check('a start at a moment', `${begun} ${moment[8]} ${moment[9]} ${moment[16]} ${moment[17]}`, '84500 11 0 960 0');
show._web_release();

console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
