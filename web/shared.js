// What the page's modules share: the player's numbers (the rate the music
// plays at, the show's end, the controls), the statistics the tests and the
// curious read as window.vornStats, the page's own errors and its address
// options.

export const RATE = 44100; // the rate the native program asks its sound device for
export const SHOW_END = 31;
// The player's controls, as show/platform.h numbers them.
export const CONTROL = { pause: 1, back: 2, forward: 3, restart: 4, loop: 7 };

export const $ = (id) => document.getElementById(id);

// What the tests and the curious can read: window.vornStats.
export const stats = {
  phase: 'loading',
  clickAt: 0, // performance.now() of the click that started the show
  firstFrameAt: 0, // performance.now() after the first frame was drawn
  frames: 0,
  scene: -1, // the scene of the last frame drawn
  running: -1, // the scene whose loop runs now (drawn or not)
  tick: 0,
  heardSeconds: 0, // audio clock: seconds of music heard
  syncLateMs: [], // for each sync value: how long after its row was heard it was applied
  syncLateAfterResumeMs: [], // the same for the first value after each play-on from a pause
  syncLateAfterSeekMs: [], // and after each seek
  // Passes of the player that left a sync value it had received and heard
  // unapplied: judged by the music's own clock, so load cannot change it.
  syncHeldOver: 0,
  maxPassGapMs: 0, // the most music heard between two passes since the last seek (ms)
  starved: 0, // audio blocks the worklet padded with silence
  deviceUnderruns: null, // from the browser's playout statistics, where it has them
  outputLatency: 0, // seconds, as the audio context reports it
  baseLatency: 0,
  clockSource: '',
  error: '',
  seeks: 0, // jumps landed (keys and the bar)
  seekMs: 0, // the last one: from the click to its frame
  jumpPercent: 0, // how far the jump on its way has come
  snapshotsDone: false, // the snapshots that make jumps quick are all made
  snapshotKb: 0, // and the memory they hold
  gentle: false, // the Gentle switch is on
  gentleChanged: 0, // frames the gentle mode showed otherwise than drawn, since it came on
};
window.vornStats = stats;

// A failure the page explains: a headline and, when there is one, the
// program's own message or the browser's reason.
export class PageError extends Error {
  constructor(message, detail = '') {
    super(message);
    this.detail = detail;
  }
}

// The address options: ?start=POSITION and ?bench.
export function params() {
  const q = new URLSearchParams(location.search);
  return { start: q.has('start') ? q.get('start') : null, bench: q.has('bench') };
}
