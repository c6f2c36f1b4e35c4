// The player's bar below the picture: where the order positions and the
// scenes begin in the music chosen, the time shown, the seek bar with a mark
// where each scene begins, and the bar's controls (pause, loop, seeking),
// which steer the show that plays now.
import { $, CONTROL, SHOW_END } from './shared.js';

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

const minutes = (ms) => {
  const s = Math.max(0, Math.floor(ms / 1000));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
};

function showTime(ms, endMs) {
  $('time').textContent = `${minutes(ms)} / ${minutes(endMs)}`;
  const seek = $('seek');
  if (!seek.dragging) seek.value = String(ms / 1000);
}

// The bar steers `show`, or nothing (null) between shows.
export function controlsFor(show) {
  const seek = $('seek');
  $('pause').disabled = !show;
  seek.disabled = !show;
  $('marks').textContent = '';
  if (!show) return;
  window.vornPlaces = show.places; // for the tests and the curious
  $('pause').textContent = 'Pause';
  const end = Math.max(1, show.places.endMs);
  seek.max = String(end / 1000);
  for (const { scene, ms } of show.places.scenes) {
    const mark = document.createElement('span');
    mark.style.left = `${(100 * ms) / end}%`;
    mark.title = `scene ${scene} at ${minutes(ms)}`;
    $('marks').append(mark);
  }
}

// The player's state after a pass (Show.status) on the bar.
export function showPlayer(s, endMs) {
  $('pause').textContent = s.paused ? 'Play' : 'Pause';
  $('loop').checked = Boolean(s.looping);
  showTime(s.showMs, endMs);
}

// The bar's controls steer current(), the show that plays now (or null).
export function wireBar(current) {
  $('pause').onclick = (e) => {
    e.currentTarget.blur(); // Space goes to the page's keys, not to the button again
    if (current()) current().control(CONTROL.pause);
  };
  $('loop').onchange = (e) => {
    e.currentTarget.blur();
    if (current()) current().control(CONTROL.loop);
  };
  const seek = $('seek');
  seek.oninput = () => {
    seek.dragging = true;
    $('time').textContent = `${minutes(1000 * Number(seek.value))} / ${$('time').textContent.split(' / ')[1]}`;
  };
  seek.onchange = () => {
    seek.dragging = false;
    const run = current();
    if (!run || run.ended) return;
    const found = run.music.find(`${Number(seek.value).toFixed(2)}`);
    run.seekTo(found.error ? { order: 0, row: 0 } : found);
  };
}
