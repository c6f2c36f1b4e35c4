// The site's file server (web/serve.mjs) keeps to the site folder and
// outlives a malformed address:
//   node server.mjs
import { mkdtempSync, mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from '../../web/serve.mjs';

const top = mkdtempSync(join(tmpdir(), 'vorn-serve-'));
mkdirSync(join(top, 'site'));
mkdirSync(join(top, 'site-private'));
writeFileSync(join(top, 'site', 'index.html'), 'the page');
writeFileSync(join(top, 'site-private', 'key.txt'), 'private');

let failed = 0;
function check(name, ok, detail) {
  if (!ok) failed++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}: ${detail}`);
}

const server = await serve(join(top, 'site'), 0);
const base = `http://127.0.0.1:${server.address().port}`;
const get = async (path) => {
  const r = await fetch(base + path);
  return `${r.status} ${await r.text()}`.trim();
};
try {
  check('the site is served', (await get('/')) === '200 the page', await get('/'));
  // A folder next to the site whose name begins with the site's name.
  const beside = await get('/..%2fsite-private%2fkey.txt');
  check('nothing outside the site folder is served', !beside.includes('private'), beside);
  const malformed = await get('/%E0%A4%A');
  check('a malformed address is refused and the server goes on', malformed.startsWith('400') && (await get('/')) === '200 the page', malformed);
} finally {
  server.close();
  rmSync(top, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
