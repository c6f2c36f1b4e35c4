// The WebAssembly build against the native one, under node:
//   node --no-experimental-fetch node_equality.mjs WEB_REFERENCE SITE_DIR DATA_DIR
// - every scene's frame hash at several ticks and flag sets (one sequence on a
//   persistent frame, as the show draws);
// - the first 30 s of vorn.xm: the samples' hash and every row's sync values
//   with their sample positions, at 44.1 kHz;
// - the sync timeline and the sync state at every order position;
// - the page's main-loop step: which scene runs and the tick counter it gets.
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

// ---- the page's main-loop step, against the program's main loop: the
// scene number follows the sync values heard; the tick counter counts 70 per
// second of audio clock from the moment the scene's loop began.
show._web_setup(0);
const steps = [
  // [sync values to queue as [sample, value]], heard sample, ms -> scene, tick
  [[], 0, 0, 0, 0],
  [[], 100, 499, 0, 34], // 499 ms: 34.93 ticks, truncated
  [[[1000, 2], [1000, 33]], 999, 500, 0, 35], // not heard yet
  [[], 1000, 600, 2, 0], // heard: scene 2 starts its loop now
  [[[2000, 2]], 2000, 1600, 2, 70], // the same scene again: no restart
  [[[3000, 9]], 3000, 2000, -1, null], // 8..30: no scene runs
  [[[4000, 2]], 4000, 2100, 2, 0], // back: a fresh start
  [[[5000, 31]], 5000, 2200, 31, null], // the end
];
let loop = '';
let expected = '';
for (const [events, heard, ms, scene, tick] of steps) {
  for (const [sample, value] of events) show._web_push_sync(sample, value);
  const s = show._web_advance(heard, ms);
  const t = s >= 0 && s < 8 && show._web_frame(ms) ? show._web_tick_counter() : null;
  loop += `${heard} ${ms}: ${s} ${t}\n`;
  expected += `${heard} ${ms}: ${scene} ${tick}\n`;
}
check('main-loop step: scene and tick counter', loop, expected);

console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
