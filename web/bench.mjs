// Each scene's frame time in Chromium (the page's ?bench: 100 frames a scene,
// timed with performance.now) against the same frames in the native build,
// the site's size, and the time from the click to the first frame:
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
  const page = await env.browser.newPage();
  await page.goto(`${env.base}?bench`);
  await page.waitForFunction(() => window.vornBench, null, { timeout: 120000 });
  const web = await page.evaluate(() => window.vornBench);
  await page.goto(env.base);
  await page.waitForFunction(() => window.vornStats.phase === 'ready', null, { timeout: 20000 });
  await page.click('#start');
  await page.waitForFunction(() => window.vornStats.firstFrameAt > 0, null, { timeout: 10000 });
  const first = await page.evaluate(() => window.vornStats.firstFrameAt - window.vornStats.clickAt);
  const out = execFileSync(join(build, 'tests/web/web_reference'), [join(build, 'data'), 'bench', '100'], { encoding: 'utf8' });
  const native = out.trim().split('\n').map((l) => Number(l.split(' ')[1]));
  console.log('| scene | Chromium (ms) | native (ms) | ratio |');
  console.log('|---|---|---|---|');
  for (const r of web)
    console.log(`| ${r.scene} | ${r.ms.toFixed(3)} | ${native[r.scene].toFixed(3)} | ${(r.ms / native[r.scene]).toFixed(2)} |`);
  let bytes = 0;
  for (const f of readdirSync(site)) bytes += statSync(join(site, f)).size;
  console.log(`site: ${(bytes / 1e6).toFixed(2)} MB in ${readdirSync(site).length} files`);
  console.log(`first frame after the click: ${first.toFixed(0)} ms`);
} finally {
  await env.close();
}
