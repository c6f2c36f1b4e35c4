// Each scene's frame time in Chromium (the page's ?bench: 100 frames a scene,
// timed with performance.now) against the same frames in the native build,
// the site's size, the time from the click to the first frame, how the
// audio clock keeps time over 20 s with a busy second, and jumps by the
// seek bar (from the change to the frame that lands, and the main thread's
// longest task meanwhile, from the browser's long-task entries):
//   node web/bench.mjs SITE_DIR NATIVE_BUILD_DIR
import { execFileSync } from 'node:child_process';
import { readdirSync, statSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { startBrowser } from './browser.mjs';

const site = resolve(process.argv[2] || 'build-web/site');
const build = resolve(process.argv[3] || 'build');
const env = await startBrowser(site);
if (!env.browser) {
  console.log(`cannot run: ${env.why}`);
  process.exit(1);
}
try {
  // Three alternating runs of each side, the best of each kept: the machine
  // may be busy with other work.
  const web = [];
  const native = [];
  let reach = null;
  for (let run = 0; run < 3; run++) {
    const page = await env.browser.newPage();
    await page.goto(`${env.base}?bench`);
    await page.waitForFunction(() => window.vornBench, null, { timeout: 120000 });
    for (const r of await page.evaluate(() => window.vornBench)) web[r.scene] = Math.min(web[r.scene] ?? Infinity, r.ms);
    const r = await page.evaluate(() => window.vornReach);
    if (!reach || r.ms < reach.ms) reach = r;
    await page.close();
    const out = execFileSync(join(build, 'tests/web/web_reference'), [join(build, 'data'), 'bench', '100'], { encoding: 'utf8' });
    for (const line of out.trim().split('\n')) {
      const [scene, ms] = line.split(' ').map(Number);
      native[scene] = Math.min(native[scene] ?? Infinity, ms);
    }
  }
  const page = await env.browser.newPage();
  await page.goto(env.base);
  await page.waitForFunction(() => window.vornStats.phase === 'ready', null, { timeout: 20000 });
  await page.click('#start');
  await page.waitForFunction(() => window.vornStats.firstFrameAt > 0, null, { timeout: 10000 });
  const first = await page.evaluate(() => window.vornStats.firstFrameAt - window.vornStats.clickAt);
  // 20 s of the audio clock against the page's, with a second in the middle
  // in which the page is busy: how close to real time the music is heard and
  // how often the device ran short (a loaded machine takes the audio thread's
  // processor now and then, so this is a figure, not a test).
  const audio = await page.evaluate(async () => {
    const s = window.vornStats;
    const wait = (ms) => new Promise((done) => setTimeout(done, ms));
    const a = { heard: s.heardSeconds, at: performance.now(), device: s.deviceUnderruns, starved: s.starved };
    await wait(9000);
    const until = performance.now() + 1000;
    while (performance.now() < until);
    await wait(10000);
    return {
      rate: (s.heardSeconds - a.heard) / ((performance.now() - a.at) / 1000),
      device: s.deviceUnderruns === null ? 'not reported' : s.deviceUnderruns - a.device,
      starved: s.starved - a.starved,
    };
  });
  await page.close();
  const jumps = await benchJumps(env);
  console.log('| scene | Chromium (ms) | native (ms) | ratio |');
  console.log('|---|---|---|---|');
  web.forEach((ms, scene) =>
    console.log(`| ${scene} | ${ms.toFixed(3)} | ${native[scene].toFixed(3)} | ${(ms / native[scene]).toFixed(2)} |`));
  let bytes = 0;
  for (const f of readdirSync(site)) bytes += statSync(join(site, f)).size;
  console.log(`site: ${(bytes / 1e6).toFixed(2)} MB in ${readdirSync(site).length} files`);
  console.log(`first frame after the click: ${first.toFixed(0)} ms`);
  console.log(`20 s with a busy second: audio clock rate ${audio.rate.toFixed(4)} (goal: within 0.02 of 1), device underruns ${audio.device}, worklet blocks padded ${audio.starved}`);
  console.log(`jumps by the seek bar, ${jumps.took.length} to random places once the snapshots are made (${(jumps.buildMs / 1000).toFixed(1)} s after the click, ${(jumps.snapshotKb / 1024).toFixed(1)} MB): ` +
    `50th percentile ${jumps.p50.toFixed(0)} ms, 95th ${jumps.p95.toFixed(0)} ms (goal: 250 ms), longest ${jumps.max.toFixed(0)} ms; ` +
    `longest task on the main thread while jumping ${jumps.longestTask.toFixed(0)} ms (goal: 50 ms), ${jumps.longTasks} tasks over 50 ms; wasm memory ${(jumps.heapBytes / 2 ** 20).toFixed(0)} MB`);
  console.log(`reaching order position ${reach.order} (${(reach.showMs / 1000).toFixed(1)} s of music) as ?start= does: ${(reach.ms / 1000).toFixed(2)} s, 1/${(1 / reach.share).toFixed(0)} of its playing time (budget: 1/25)`);
} finally {
  await env.close();
}

// 60 jumps by the seek bar to random moments (a fixed sequence), once the
// page has made its snapshots: the time from the bar's change to the frame
// there, and the long tasks the browser saw meanwhile.
async function benchJumps(env) {
  const page = await env.browser.newPage();
  await page.goto(env.base);
  await page.waitForFunction(() => window.vornStats.phase === 'ready', null, { timeout: 20000 });
  await page.click('#start');
  await page.waitForFunction(() => window.vornStats.snapshotsDone, null, { timeout: 300000, polling: 500 });
  const buildMs = await page.evaluate(() => performance.now() - window.vornStats.clickAt);
  const result = await page.evaluate(async () => {
    const tasks = [];
    new PerformanceObserver((list) => tasks.push(...list.getEntries().map((e) => e.duration))).observe({ type: 'longtask' });
    const seek = document.getElementById('seek');
    const took = [];
    let x = 12345;
    for (let i = 0; i < 60; i++) {
      x = (x * 1103515245 + 12345) % 2147483648;
      const before = window.vornStats.seeks;
      seek.value = String((Number(seek.max) * (x / 2147483648)) * 0.98);
      seek.dispatchEvent(new Event('change'));
      while (window.vornStats.seeks === before) await new Promise((r) => requestAnimationFrame(r));
      took.push(window.vornStats.seekMs);
      await new Promise((r) => setTimeout(r, 100));
    }
    await new Promise((r) => setTimeout(r, 200)); // the last entries come in
    took.sort((a, b) => a - b);
    return {
      took,
      p50: took[Math.floor(took.length / 2)],
      p95: took[Math.floor((took.length * 95) / 100)],
      max: took[took.length - 1],
      longestTask: Math.max(0, ...tasks),
      longTasks: tasks.length,
      snapshotKb: window.vornStats.snapshotKb,
      heapBytes: window.vornHeapBytes ? window.vornHeapBytes() : 0,
    };
  });
  await page.close();
  return { ...result, buildMs };
}
