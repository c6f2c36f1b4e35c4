// Packs the show's data files into one file for the web page:
//   node pack-data.mjs DATA_DIR OUT_FILE
// Layout: a 4-byte little-endian length n, n bytes of JSON
// [{"name": ..., "size": ...}, ...] in name order, then the files' bytes one
// after another in that order. files.js unpacks it (unpackData).
import { readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [dir, out] = process.argv.slice(2);
if (!dir || !out) {
  console.error('usage: node pack-data.mjs DATA_DIR OUT_FILE');
  process.exit(2);
}
const names = readdirSync(dir).filter((n) => /\.(pcx|lwo|xm)$/.test(n)).sort();
if (!names.includes('vorn.xm')) {
  console.error(`pack-data: no vorn.xm in ${dir}`);
  process.exit(1);
}
const files = names.map((name) => ({ name, bytes: readFileSync(join(dir, name)) }));
const index = Buffer.from(JSON.stringify(files.map((f) => ({ name: f.name, size: f.bytes.length }))));
const head = Buffer.alloc(4);
head.writeUInt32LE(index.length);
writeFileSync(out, Buffer.concat([head, index, ...files.map((f) => f.bytes)]));
