// The "Gentle" switch beside the bar: the show shown gently (safety/
// gentle_filter.h, compiled into the show's module: where it would flash
// more than three times a second over a large area, those places change only
// faintly). On by default when the browser says its viewer wants less
// motion (prefers-reduced-motion: reduce); the viewer's choice is kept for
// the next visit.
import { $, stats } from './shared.js';

const KEY = 'vorn-gentle';

function kept() {
  try {
    return localStorage.getItem(KEY);
  } catch {
    return null; // storage refused (a private window): the browser's wish decides
  }
}

// Whether the show is to be shown gently.
export const gentleOn = () => $('gentle').checked;

// The switch as the viewer left it, or as the browser suggests; a change is
// kept, and goes at once to the show that plays now (current(), or null).
export function wireGentle(current) {
  const box = $('gentle');
  const choice = kept();
  box.checked = choice === null ? matchMedia('(prefers-reduced-motion: reduce)').matches : choice === '1';
  stats.gentle = box.checked;
  box.onchange = () => {
    box.blur(); // Space goes to the page's keys, not to the switch again
    try {
      localStorage.setItem(KEY, box.checked ? '1' : '0');
    } catch {
      // not kept; it still holds for this visit
    }
    stats.gentle = box.checked;
    const run = current();
    if (run) run.gentle(box.checked);
  };
}
