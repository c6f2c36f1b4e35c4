// Headless Chromium on the built site, for the page tests and the web
// benchmark: Debian's chromium driven by playwright-core (web/node_modules,
// installed by web/install-npm). openPage() resolves to null, with the reason
// in `why`, when either is missing.
import { existsSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve } from './serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
export const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';

export async function startBrowser(site) {
  if (!existsSync(join(site, 'index.html')))
    return { why: `no web build at ${site} (make web builds it; it needs emscripten)` };
  if (!existsSync(chromiumPath)) return { why: `no chromium at ${chromiumPath} (scripts/install-deps installs it)` };
  let chromium;
  try {
    ({ chromium } = await import(join(here, 'node_modules/playwright-core/index.mjs')));
  } catch {
    return { why: 'playwright-core is not installed (web/install-npm installs it)' };
  }
  const server = await serve(site, 0);
  const browser = await chromium.launch({
    executablePath: chromiumPath,
    // The machine has no network beyond loopback: no background connections.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const base = `http://127.0.0.1:${server.address().port}/`;
  return {
    base,
    browser,
    async close() {
      await browser.close();
      server.close();
    },
  };
}
