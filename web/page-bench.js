// The page's ?bench: every scene's frame time as the native reference
// measures it, and how long reaching the last order position takes as
// ?start= reaches it. web/bench.mjs reads the results (window.vornBench,
// window.vornReach).
import { Music } from './music-wasm.js';
import { data } from './files.js';
import { overlay } from './screens.js';

// Every scene's frame time over 100 frames (best of 20 rounds), as the
// native reference measures it.
export async function bench() {
  const vorn = await window.createVorn({ print: () => {}, printErr: () => {} });
  for (const [name, bytes] of data.files) vorn.FS.writeFile(`/${name}`, bytes);
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
  const music = await Music.create(data.musicModule);
  music.load(data.files.get('vorn.xm'));
  const orders = music.orders();
  const last = orders[orders.length - 1];
  vorn._web_setup(0);
  const t0 = performance.now();
  vorn._web_begin(last.order, last.row, -1);
  while (vorn._web_begin_step(1000) === -2);
  const reachMs = performance.now() - t0;
  window.vornReach = { order: last.order, showMs: last.ms, ms: reachMs, share: reachMs / last.ms };
  window.vornBench = rows;
  overlay('Frame time per scene (100 frames each, best of 20 rounds)', rows.map((r) => `scene ${r.scene}: ${r.ms.toFixed(3)} ms`).join('\n'));
}
