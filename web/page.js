// The page around the show: loads the WebAssembly modules and the data,
// checks the files a viewer picks or drops before they play (check.js),
// starts the music in an audio worklet on a click, and on every animation
// frame runs the program's own player (vorn.wasm: show/show_player.h, the
// scenes, the loaders, the sync logic) one pass with the music heard so far,
// then draws the frame it made. The page is the player's platform: it hands
// in keys and the control bar, and makes the worklet follow what the player
// asks of the music (pause, play on from a row).
//
// This is the entry: it wires the page's keys, buttons and drops, and boots
// to the start screen. The show itself is in show.js, the bar in
// player-bar.js, the audio clock in audio-clock.js, the files in files.js.
//
// Address options: ?start=POSITION (an order position, a time such as 1:24
// or 84.5, or scene:4) starts there exactly as the whole show is there: the
// show is played from its start without picture or sound up to it first;
// ?bench times every scene over 100 frames and shows the table.
import { Music } from './music-wasm.js';
import { $, CONTROL, PageError, params, stats } from './shared.js';
import { data, loadData, takeFiles, useOurs } from './files.js';
import { loadScript } from './vorn-module.js';
import { fail, overlay } from './screens.js';
import { checkFiles } from './check.js';
import { placesIn, showPlaces, wireBar } from './player-bar.js';
import { current, play, startRow } from './show.js';
import { bench } from './page-bench.js';
import { wireGentle } from './gentle.js';

let startRefused = false; // the address's ?start= is one the music lacks

function fitCanvas() {
  const stage = $('stage').getBoundingClientRect(); // fractions of a pixel too
  const scale = Math.min(stage.width / 320, stage.height / 240);
  $('screen').style.width = `${Math.floor(320 * scale)}px`;
  $('screen').style.height = `${Math.floor(240 * scale)}px`;
}

function fullscreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.documentElement.requestFullscreen?.().catch(() => {});
}

// A click or a tap on the picture pauses the show and plays on.
function pictureClicked() {
  const run = current();
  if (run && run.playing()) run.control(CONTROL.pause);
}

// Picked or dropped files: those with the show's file names end the show
// that plays and are checked with the rest the next show reads; the report
// offers to play them. One that cannot be read says so, and ends the show
// that plays as checking them would.
async function yourFiles(list) {
  let taken;
  try {
    taken = await takeFiles(list);
  } catch (e) {
    if (current()) current().stop(e.message, e.detail);
    else fail(e.message, e.detail);
    return;
  }
  if (!taken.length) {
    if (current()) return;
    overlay('None of these files has one of the show\'s file names.', `Names: ${[...data.defaults.keys()].join(', ')}`, ['again']);
    return;
  }
  if (current()) current().stop('');
  try {
    await checkFiles();
  } catch (e) {
    fail(e.message, e.detail);
  }
}

// Keys: Space, the arrows, Home and L steer the player, F switches to full
// screen, Enter presses the button it is on, and every other key ends the
// show.
function onKey(e) {
  if (e.ctrlKey || e.altKey || e.metaKey) return;
  const run = current();
  const playing = run && run.playing();
  const steer = {
    ' ': CONTROL.pause,
    ArrowLeft: CONTROL.back,
    ArrowRight: CONTROL.forward,
    Home: CONTROL.restart,
    l: CONTROL.loop,
    L: CONTROL.loop,
  };
  if (e.key === 'Enter' && e.target.closest?.('button, a')) return;
  if (e.key === 'f' || e.key === 'F') {
    fullscreen();
    e.preventDefault();
  } else if (playing && steer[e.key]) {
    run.control(steer[e.key]);
    e.preventDefault();
  } else if (playing && ['Shift', 'Control', 'Alt', 'Meta', 'Tab'].indexOf(e.key) < 0 && e.target !== $('seek')) {
    run.stopKey(); // Escape and every other key end the show
    e.preventDefault();
  }
}

// The address without ?start= (after one the music lacks, to play from the
// beginning).
function dropStart() {
  const q = new URLSearchParams(location.search);
  q.delete('start');
  const rest = q.toString();
  history.replaceState(null, '', `${location.pathname}${rest ? `?${rest}` : ''}`);
  startRefused = false;
}

function wire() {
  addEventListener('resize', fitCanvas);
  if (window.ResizeObserver) new ResizeObserver(fitCanvas).observe($('stage'));
  fitCanvas();
  $('start').onclick = () => play();
  $('again').onclick = () => {
    if (startRefused) dropStart();
    play();
  };
  $('ours').onclick = () => {
    useOurs();
    play();
  };
  $('play').onclick = () => play();
  $('pick').onclick = () => $('files').click();
  $('fullscreen').onclick = (e) => {
    e.currentTarget.blur();
    fullscreen();
  };
  document.addEventListener('fullscreenchange', () => {
    const on = Boolean(document.fullscreenElement);
    $('fullscreen').setAttribute('aria-pressed', String(on));
    $('fullscreen').title = on ? 'Leave full screen (F)' : 'Full screen (F)';
  });
  $('screen').onclick = pictureClicked;
  wireBar(current, play);
  wireGentle(current);
  $('files').onchange = (e) => {
    yourFiles([...e.target.files]);
    e.target.value = '';
  };
  addEventListener('keydown', onKey);
  document.addEventListener('visibilitychange', () => {
    if (!document.hidden && current()) current().resume();
  });
  addEventListener('dragover', (e) => {
    e.preventDefault();
    document.body.classList.add('dragging');
  });
  addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    yourFiles([...e.dataTransfer.files]);
  });
}

async function boot() {
  if (typeof WebAssembly !== 'object') return; // the inline script said so
  wire();
  try {
    const { bench: benching } = params();
    await loadData();
    await loadScript('vorn.js');
    if (benching) return await bench();
    // The bar shows the show's length and scenes, and where ?start= starts;
    // a ?start= the music does not have is said now, before the click, and
    // the screen offers the beginning instead.
    const { start } = params();
    const music = await Music.create(data.musicModule);
    if (!music.load(data.files.get('vorn.xm'))) {
      const places = placesIn(music);
      try {
        showPlaces(places, startRow(music, start).ms);
      } catch (e) {
        showPlaces(places);
        startRefused = true;
        fail(e.message, e.detail);
        $('again').textContent = 'Play from the beginning';
        return;
      }
    }
    stats.phase = 'ready';
    const touch = matchMedia('(pointer: coarse)').matches;
    if (touch) $('start').textContent = 'Tap to start';
    // The warning comes first, on every device.
    const warning = 'This show contains flashing lights; to watch it gently, switch on Gentle under the picture.';
    overlay('Vorn', `${warning}\n${touch
      ? 'Sound on. A tap on the picture pauses and plays on; the marks under the bar jump to a scene.'
      : 'Sound on. Space pauses, the arrows jump, Home goes back to the beginning, L loops, F switches to full screen; Escape or any other key stops the show.'}`, ['start']);
  } catch (e) {
    if (e instanceof PageError) fail(e.message, e.detail);
    else fail('The page cannot start.', String(e.message || e));
  }
}

boot();
