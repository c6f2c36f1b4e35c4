// The player's bar below the picture: where the order positions and the
// scenes begin in the music chosen, the time shown, the seek bar with a
// labelled mark where each scene begins, and the bar's controls (pause,
// loop, seeking, a scene's mark, the link to the moment shown), which steer
// the show that plays now. Also the page's words for the positions ?start=
// takes.
import { $, CONTROL, SHOW_END } from './shared.js';

// What each scene shows: a word for its mark, and a line for its name.
const SCENES = [
  ['Text', 'a text strip scrolls over pulsing lights'],
  ['Knot', 'rings of glowing dots and a shiny knot'],
  ['Window', 'a rippling window and the greetings'],
  ['Planes', 'two planes of dots over flickering noise'],
  ['Ring', 'a twisted ring over a turning pattern'],
  ['Grid', 'a rippling grid of dots and the credits'],
  ['Blobs', 'glowing blobs over dark hexagons'],
  ['Lights', 'the opening\'s lights, slowly, to the end'],
];

// Where the order positions begin, where each scene first begins and where
// the show ends, from the music chosen (times in ms): two walks of the song.
export function placesIn(music) {
  const orders = music.orders();
  const scenes = [];
  let endMs = 0;
  for (const line of music.timeline(3600000).trim().split('\n')) {
    const [ms, , , , value] = line.split(' ').map(Number);
    endMs = Math.max(endMs, ms);
    if (value < 8 && !scenes.some((s) => s.scene === value)) scenes.push({ scene: value, ms });
    if (value === SHOW_END) break;
  }
  scenes.sort((a, b) => a.scene - b.scene);
  return { orders, scenes, endMs };
}

export const minutes = (ms) => {
  const s = Math.max(0, Math.floor(ms / 1000));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
};

// A moment as ?start= takes it: minutes, seconds and tenths (1:24.5),
// rounded down, so that the show starts at the first row from there.
export function positionName(ms) {
  const tenths = Math.max(0, Math.floor(ms / 100));
  return `${minutes(tenths * 100)}${tenths % 10 ? `.${tenths % 10}` : ''}`;
}

// The page's address starting at `ms` (its other options kept).
export function linkAt(ms) {
  const q = new URLSearchParams(location.search);
  q.delete('start');
  const rest = q.toString();
  return `${location.origin}${location.pathname}?${rest ? `${rest}&` : ''}start=${positionName(ms)}`;
}

// The music's words on a position it lacks, without the advice meant for
// the program's command line.
export const withoutProgram = (text) =>
  text.replace(/ \(vorn --timeline [^)]*\)/g, '').replace(/; vorn --timeline [^)]*\)/g, ')');

// The positions the page takes in the music of `places`, and their range.
export function positionsTaken(places) {
  const orders = places.orders.map((o) => o.order);
  const scenes = places.scenes.map((s) => s.scene);
  const range = (list, prefix = '') => {
    const [lo, hi] = [Math.min(...list), Math.max(...list)];
    if (hi - lo + 1 === list.length) return `from ${prefix}${lo} to ${prefix}${hi}`;
    return `(${list.map((v) => `${prefix}${v}`).join(', ')})`;
  };
  const parts = [];
  if (orders.length) parts.push(`an order position ${range([...new Set(orders)])}`);
  parts.push(`a time from 0:00 to ${minutes(places.endMs)} (such as 1:24 or 84.5)`);
  if (scenes.length) parts.push(`a scene ${range(scenes, 'scene:')}`);
  const last = parts.pop();
  return `?start= takes ${parts.length ? `${parts.join(', ')} or ` : ''}${last}.`;
}

const shown = { ms: 0, endMs: 0 }; // the moment the bar shows, and the show's end

function showTime(ms, endMs) {
  shown.ms = ms;
  shown.endMs = endMs;
  $('time').textContent = `${minutes(ms)} / ${minutes(endMs)}`;
  const seek = $('seek');
  if (!seek.dragging) seek.value = String(ms / 1000);
}

// The music's places on the bar: its length, a labelled mark where each
// scene begins, and the moment `ms` (before a show starts, where it will).
export function showPlaces(places, ms = 0) {
  window.vornPlaces = places; // for the tests and the curious
  const seek = $('seek');
  const end = Math.max(1, places.endMs);
  seek.max = String(end / 1000);
  const starts = places.scenes.map((s) => s.ms).concat(end).sort((a, b) => a - b);
  $('marks').textContent = '';
  for (const { scene, ms: at } of places.scenes) {
    const [what, name] = SCENES[scene];
    const mark = document.createElement('button');
    mark.type = 'button';
    mark.className = `mark ${['early', 'middle', 'late'][Math.min(2, Math.floor((3 * at) / end))]}`;
    mark.dataset.scene = String(scene);
    mark.dataset.name = `Scene ${scene}, ${minutes(at)}: ${name}`;
    mark.setAttribute('aria-label', mark.dataset.name);
    mark.style.left = `${(100 * at) / end}%`;
    mark.style.width = `${(100 * ((starts.find((s) => s > at) ?? end) - at)) / end}%`;
    const label = document.createElement('span');
    label.textContent = String(scene);
    label.dataset.what = what;
    mark.append(label);
    $('marks').append(mark);
  }
  fitLabels();
  showTime(ms, places.endMs);
}

// The marks say what their scenes show where every word fits, and their
// numbers alone where one does not.
function fitLabels() {
  const marks = $('marks');
  marks.classList.remove('numbers');
  const labels = [...marks.querySelectorAll('.mark > span')];
  if (labels.some((l) => l.scrollWidth > l.clientWidth)) marks.classList.add('numbers');
}
if (window.ResizeObserver) new ResizeObserver(fitLabels).observe($('marks'));

// The bar steers `show`, or nothing (null) between shows; the marks stay.
export function controlsFor(show) {
  $('pause').disabled = !show;
  $('seek').disabled = !show;
  if (!show) return;
  $('pause').textContent = 'Pause';
  showPlaces(show.places);
}

// The player's state after a pass (Show.status) on the bar.
export function showPlayer(s, endMs) {
  $('pause').textContent = s.paused ? 'Play' : 'Pause';
  $('loop').checked = Boolean(s.looping);
  showTime(s.showMs, endMs);
}

let noteTimer = 0;

// A few words above the Copy link button (a link, when it has one).
function note(text, link = '', ms = 2500) {
  const box = $('copied');
  box.textContent = text;
  if (link) {
    const a = document.createElement('a');
    a.href = link;
    a.textContent = link;
    box.append(' ', a);
  }
  clearTimeout(noteTimer);
  noteTimer = setTimeout(() => (box.textContent = ''), ms);
}

// The page's address at the moment shown, to the clipboard; where the
// browser refuses, the link is shown to copy by hand.
async function copyLink() {
  const link = linkAt(shown.ms);
  try {
    await navigator.clipboard.writeText(link);
    note('Link copied');
  } catch {
    note('This browser lets the page copy nothing. The link:', link, 15000);
  }
}

// The bar's controls steer current(), the show that plays now (or null);
// a scene's mark with no show playing starts one there (playFrom).
export function wireBar(current, playFrom) {
  $('pause').onclick = (e) => {
    e.currentTarget.blur(); // Space goes to the page's keys, not to the button again
    if (current()) current().control(CONTROL.pause);
  };
  $('loop').onchange = (e) => {
    e.currentTarget.blur();
    if (current()) current().control(CONTROL.loop);
  };
  $('copy').onclick = (e) => {
    e.currentTarget.blur();
    copyLink();
  };
  $('marks').onclick = (e) => {
    const mark = e.target.closest('.mark');
    if (!mark) return;
    if (e.detail) mark.blur(); // clicked or tapped, not chosen with the keyboard
    const scene = `scene:${mark.dataset.scene}`;
    const run = current();
    if (!run || !run.playing()) return playFrom(scene);
    const found = run.music.find(scene);
    if (!found.error) run.seekTo(found);
  };
  const seek = $('seek');
  seek.oninput = () => {
    seek.dragging = true;
    $('time').textContent = `${minutes(1000 * Number(seek.value))} / ${minutes(shown.endMs)}`;
  };
  seek.onchange = () => {
    seek.dragging = false;
    const run = current();
    if (!run || run.ended) return;
    const found = run.music.find(`${Number(seek.value).toFixed(2)}`);
    run.seekTo(found.error ? { order: 0, row: 0 } : found);
  };
}
