// The signs over the picture, as the program's display draws them: a pause
// sign while paused, and for two seconds a caption after a jump ("order 12 ·
// scene 3 · 1:31.20") or when looping is turned on or off. A jump's progress
// ("getting to 3:27: 64 %", #going) sits with them; show.js keeps it. They
// are page elements over the canvas, never drawn into the frame.
import { $ } from './shared.js';

// "m:ss.hh", as the program's --timeline gives times.
export function timeText(ms) {
  const hundredths = Math.max(0, Math.floor(ms / 10));
  const s = Math.floor(hundredths / 100);
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}.${String(hundredths % 100).padStart(2, '0')}`;
}

// The order position playing at `ms` among `orders` ([{order, row, ms}] in playing order).
export function orderAt(orders, ms) {
  let found = orders.length ? orders[0].order : 0;
  for (const o of orders) if (o.ms <= ms) found = o.order;
  return found;
}

// A jump's caption; a scene below 0 (between scenes) is left out.
export const jumpCaption = (order, scene, ms) =>
  `order ${order} · ${scene >= 0 ? `scene ${scene} · ` : ''}${timeText(ms)}`;

export const CAPTION_MS = 2000;

// The signs sit exactly over the canvas, their words sized with it.
function fit() {
  const screen = $('screen');
  const signs = $('signs');
  signs.style.width = screen.style.width || `${screen.clientWidth}px`;
  signs.style.height = screen.style.height || `${screen.clientHeight}px`;
  signs.style.fontSize = `${Math.min(32, Math.max(12, Math.round(screen.clientHeight / 24)))}px`;
}
if (window.ResizeObserver) new ResizeObserver(fit).observe($('screen'));
fit();

export function showPaused(on) {
  $('paused-sign').hidden = !on;
}

let captionTimer = 0;

// A caption for two seconds; it fades over the last part (style.css).
export function showCaption(text) {
  const sign = $('caption');
  sign.textContent = text;
  sign.hidden = false;
  sign.classList.remove('fading');
  void sign.offsetWidth; // the fade starts again for a new caption
  sign.classList.add('fading');
  clearTimeout(captionTimer);
  captionTimer = setTimeout(() => (sign.hidden = true), CAPTION_MS);
}

// No sign (between shows).
export function clearSigns() {
  showPaused(false);
  clearTimeout(captionTimer);
  $('caption').hidden = true;
}
