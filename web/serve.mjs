// A static file server for the built site, on 127.0.0.1 only:
//   node web/serve.mjs SITE_DIR [PORT]     (PORT 0 picks a free one)
// Prints the address, then serves until stopped. The tests start it too.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

export function serve(dir, port = 0) {
  const root = resolve(dir);
  const inside = root.endsWith(sep) ? root : root + sep;
  const server = createServer(async (req, res) => {
    let path;
    try {
      path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    } catch {
      res.writeHead(400).end(); // a malformed address
      return;
    }
    const file = normalize(join(root, path === '/' ? 'index.html' : path));
    // Inside the site folder only (not in a neighbour whose name begins with its name).
    if (!file.startsWith(inside)) {
      res.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      res.writeHead(200, {
        'Content-Type': types[extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-cache',
      });
      res.end(body);
    } catch {
      if (process.env.VORN_SERVE_LOG) console.error(`404 ${path}`);
      res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
    }
  });
  return new Promise((ok) => server.listen(port, '127.0.0.1', () => ok(server)));
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const [dir, port] = process.argv.slice(2);
  if (!dir) {
    console.error('usage: node serve.mjs SITE_DIR [PORT]');
    process.exit(2);
  }
  const server = await serve(dir, Number(port ?? 8070));
  console.log(`The show is at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops the server)`);
}
