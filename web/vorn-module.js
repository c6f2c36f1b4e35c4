// The show's own program compiled to WebAssembly (vorn.js and vorn.wasm):
// loading it, and a fresh instance with the files of the next show in its
// file system, its scenes set up and its player made; when a loader cannot
// read a file, its message (in code page 437) becomes the page's.
import { PageError } from './shared.js';
import { data } from './files.js';

// Code page 437's upper half: the show's Swedish messages are written in it.
const CP437_HIGH =
  'ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00a0';
const cp437 = (bytes) =>
  bytes.map((b) => (b < 128 ? String.fromCharCode(b) : CP437_HIGH[b - 128])).join('');

export function loadScript(url) {
  return new Promise((resolve, reject) => {
    const s = document.createElement('script');
    s.src = url;
    s.onload = resolve;
    s.onerror = () => reject(new PageError(`Cannot load ${url}.`));
    document.head.append(s);
  });
}

// A fresh instance of the show's module with the files in its file system,
// every scene set up and the player made (looping from the start if
// `loop`); the loaders' messages (code page 437) are kept.
export async function createShow(loop) {
  const out = [];
  const err = [];
  const into = (list) => (b) => {
    if (b !== null && b !== undefined) list.push(b & 0xff);
  };
  const vorn = await window.createVorn({
    preRun: [(m) => m.FS.init(() => null, into(out), into(err))],
    print: () => {},
    printErr: () => {},
    quit: (code, toThrow) => {
      throw toThrow;
    },
  });
  for (const [name, bytes] of data.files) vorn.FS.writeFile(`/${name}`, bytes);
  window.vornHeapBytes = () => vorn.HEAPU8.length; // for the page's bench
  try {
    vorn._web_setup(loop ? 1 : 0);
  } catch (e) {
    // A loader that cannot read a file prints why and ends the program: its
    // last line on standard output, and any explanation on standard error.
    const lines = cp437(out).trim().split('\n');
    const why = [lines[lines.length - 1], cp437(err).trim()].filter(Boolean).join('\n');
    throw new PageError('A data file cannot be loaded.', why || String(e.message || e));
  }
  return vorn;
}
