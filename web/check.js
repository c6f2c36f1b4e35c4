// The check of your files before they play: the findings of the program's
// `vorn --check` (check/ through web/check_entry.cpp) for the files the next
// show would read, your files over ours. The screen over the picture lists
// them a line each, problems first, under a line that says whether the show
// will play; the viewer then plays them, picks other files or goes back to
// ours.
import { $, PageError, stats } from './shared.js';
import { data } from './files.js';
import { overlay } from './screens.js';

let checker = null; // an instance of the show's module kept for checks
let checks = 0; // checks begun: only the last one's report is shown

async function instance() {
  if (!window.createVorn) throw new PageError('The page is still loading. Pick your files again in a moment.');
  if (!checker) checker = await window.createVorn({ print: () => {}, printErr: () => {} });
  return checker;
}

// The findings for `files` (name -> bytes): {plays, errors, warnings,
// findings: [{level, subject, text}]}, as `vorn --check --json` gives them.
async function judge(files) {
  const encoder = new TextEncoder();
  try {
    const vorn = await instance();
    for (const [name, bytes] of files) {
      const text = encoder.encode(`${name}\0`);
      const at = vorn._malloc(text.length + bytes.length);
      if (!at) throw new PageError('Your files are too large to check in this browser.', `${name}: ${bytes.length} bytes`);
      vorn.HEAPU8.set(text, at);
      vorn.HEAPU8.set(bytes, at + text.length);
      vorn._web_check_add(at, at + text.length, bytes.length);
      vorn._free(at);
    }
    const report = vorn._web_check_run();
    const heap = vorn.HEAPU8;
    return JSON.parse(new TextDecoder().decode(heap.subarray(report, heap.indexOf(0, report))));
  } catch (e) {
    checker = null; // a module that failed midway is not used again
    if (e instanceof PageError) throw e;
    throw new PageError('Your files cannot be checked.', String(e.message || e));
  }
}

const plural = (n, word) => `${n} ${word}${n === 1 ? '' : 's'}`;
const RANK = { error: 0, warning: 1 };

function reportLine(f) {
  const li = document.createElement('li');
  li.className = f.level;
  const level = document.createElement('span');
  level.className = 'level';
  level.textContent = f.level;
  li.append(level, ` ${f.subject}: ${f.text}`);
  return li;
}

// Checks the files the next show reads and shows the report.
export async function checkFiles() {
  const mine = ++checks;
  const yours = [...data.files].filter(([name, bytes]) => data.defaults.get(name) !== bytes).map(([name]) => name);
  stats.phase = 'checking';
  stats.check = null;
  overlay('Checking your files…', yours.join(', '));
  // The words show first (a hidden page paints no frame: not waited for).
  await new Promise((resolve) => {
    requestAnimationFrame(() => setTimeout(resolve, 0));
    setTimeout(resolve, 100);
  });
  const report = await judge(data.files);
  if (mine !== checks) return; // other files came meanwhile
  const counts = `${plural(report.errors, 'error')}, ${plural(report.warnings, 'warning')}`;
  stats.phase = 'checked';
  stats.check = { plays: report.plays, errors: report.errors, warnings: report.warnings };
  const detail = `Your files: ${yours.join(', ')}; the others are the show's own.`;
  if (report.plays) overlay(`The show will play with your files (${counts}).`, detail, ['play', 'pick', 'ours']);
  else {
    overlay(`The show will not play with your files (${counts}).`,
      `${detail}\nReplace the files the errors name: pick other files, or use ours again.`, ['pick', 'ours'], true);
  }
  // Errors first, then warnings, the rest in the check's order.
  const findings = report.findings.map((f, i) => ({ f, i }))
    .sort((a, b) => (RANK[a.f.level] ?? 2) - (RANK[b.f.level] ?? 2) || a.i - b.i)
    .map(({ f }) => reportLine(f));
  $('report').replaceChildren(...findings);
  $('report').scrollTop = 0;
  $('report').hidden = false;
}
