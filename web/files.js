// The files the show reads: its own data package and music player as the
// site serves them, and "your files", picked or dropped on the page, which
// take the place of ours when they have one of our files' names.
import { PageError } from './shared.js';

export const data = {
  defaults: new Map(), // the show's own files by name
  files: new Map(), // what the next show reads
  musicModule: null, // compiled music.wasm
  musicBytes: null, // and its bytes
};

async function fetchBytes(url) {
  let response;
  try {
    response = await fetch(url);
  } catch (e) {
    throw new PageError(`Cannot load ${url}: ${e.message}.`);
  }
  if (!response.ok) throw new PageError(`Cannot load ${url}: the server answered ${response.status}.`);
  return new Uint8Array(await response.arrayBuffer());
}

// The data package: a 4-byte length n, n bytes of JSON [{name, size}], then
// the files one after another (see pack-data.mjs).
function unpackData(pack) {
  const view = new DataView(pack.buffer, pack.byteOffset, pack.byteLength);
  if (pack.length < 4) throw new PageError('The data package is damaged.');
  const n = view.getUint32(0, true);
  let index;
  try {
    index = JSON.parse(new TextDecoder().decode(pack.subarray(4, 4 + n)));
  } catch {
    throw new PageError('The data package is damaged.');
  }
  const out = new Map();
  let at = 4 + n;
  for (const { name, size } of index) {
    if (at + size > pack.length) throw new PageError('The data package is cut short.');
    out.set(name, pack.subarray(at, at + size));
    at += size;
  }
  return out;
}

// The show's own files and the music player, from the site.
export async function loadData() {
  const [pack, wasm] = await Promise.all([fetchBytes('data.pack'), fetchBytes('music.wasm')]);
  data.defaults = unpackData(pack);
  if (!data.defaults.has('vorn.xm')) throw new PageError('The data package has no vorn.xm.');
  data.files = new Map(data.defaults);
  data.musicBytes = wasm;
  try {
    data.musicModule = await WebAssembly.compile(wasm);
  } catch (e) {
    throw new PageError('music.wasm is damaged.', String(e.message || e));
  }
}

export function useOurs() {
  data.files = new Map(data.defaults);
}

// Whether the next show reads any file that is not ours.
export function filesChanged() {
  return [...data.files].some(([name, bytes]) => data.defaults.get(name) !== bytes);
}

// Takes the files (picked or dropped) that have one of the show's file
// names for the next show, and says which it took (none: nothing changes).
// All or none: when one of them cannot be read (changed or removed since it
// was picked, a folder), none is taken and the error names it.
export async function takeFiles(list) {
  const known = new Set(data.defaults.keys());
  const read = [];
  const ignored = [];
  for (const f of list) {
    const name = f.name.toLowerCase();
    if (!known.has(name)) {
      ignored.push(f.name);
      continue;
    }
    try {
      read.push([name, new Uint8Array(await f.arrayBuffer())]);
    } catch (e) {
      throw new PageError('A file cannot be read.', `${f.name}: ${e.message || e}`);
    }
  }
  const taken = read.map(([name]) => name);
  for (const [name, bytes] of read) data.files.set(name, bytes);
  if (taken.length)
    console.info(`your files: ${taken.join(', ')}${ignored.length ? `; not used: ${ignored.join(', ')}` : ''}`);
  return taken;
}
