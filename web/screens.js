// The screen over the picture: the start screen, the words while a show is
// getting ready, the end screen, the errors and the check of your files, each
// with the buttons that fit (start, play your files, play again, pick other
// files, use our files again).
import { $, stats } from './shared.js';
import { data, filesChanged } from './files.js';

export function overlay(message, detail = '', buttons = [], error = false) {
  $('overlay').hidden = false;
  $('message').textContent = message;
  $('detail').textContent = detail;
  $('detail').className = error ? 'error' : '';
  $('report').hidden = true;
  for (const id of ['start', 'play', 'again', 'pick', 'ours']) $(id).hidden = !buttons.includes(id);
  const first = buttons.length ? $(buttons[0]) : null;
  if (first) first.focus();
}

export function fail(message, detail = '') {
  stats.phase = 'error';
  stats.error = `${message} ${detail}`.trim();
  overlay(message, detail, filesChanged() ? ['ours'] : data.defaults.size ? ['again'] : [], true);
  $('again').textContent = 'Try again';
}
