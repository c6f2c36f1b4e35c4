// The audio clock: which of the music's samples is being heard now, read
// from the audio context's output timestamps and smoothed so that frames
// step evenly. The player's passes run on it.
import { stats } from './shared.js';

// Seconds of the context's time being heard now (output latency included),
// smoothed against performance.now() so that frames step evenly although
// the context's clock moves in blocks.
export class AudioClock {
  constructor(ctx) {
    this.ctx = ctx;
    this.base = null; // context seconds at perfBase
    this.perfBase = 0;
    this.last = 0;
    this.pausedPerf = 0; // performance.now() of the last pause, and of the play on after it
    this.resumedPerf = 0;
  }

  // The context stands still from now (a pause) or runs on: its time did not
  // pass in between, so a reading taken before the pause must not count it.
  suspend() {
    this.pausedPerf = performance.now();
  }

  resume() {
    this.resumedPerf = performance.now();
    this.base = null;
  }

  raw() {
    const ctx = this.ctx;
    const ts = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : null;
    if (ts && ts.performanceTime > 0 && ts.contextTime > 0) {
      stats.clockSource = 'output timestamp';
      let since = performance.now() - ts.performanceTime;
      if (ts.performanceTime < this.resumedPerf)
        since -= this.resumedPerf - Math.max(this.pausedPerf, ts.performanceTime);
      return ts.contextTime + since / 1000;
    }
    stats.clockSource = 'current time less latency';
    return ctx.currentTime - (ctx.baseLatency || 0) - (ctx.outputLatency || 0);
  }

  now() {
    const raw = this.raw();
    const perf = performance.now();
    let t;
    if (this.base === null) {
      this.base = raw;
      this.perfBase = perf;
      t = raw;
    } else {
      const guess = this.base + (perf - this.perfBase) / 1000;
      const off = raw - guess;
      if (Math.abs(off) > 0.04 || this.ctx.state !== 'running') {
        this.base = raw; // a jump (start, stall, hidden tab): follow it
        this.perfBase = perf;
        t = raw;
      } else {
        this.base += off * 0.1; // drift: follow slowly
        t = guess + off * 0.1;
      }
    }
    // Never backwards (a new reading may land a little before the last).
    this.last = Math.max(this.last, t);
    return this.last;
  }
}

// The music's sample frame heard now, counted from where it last started
// (the worklet says at which of the context's frames), or -1 before its
// first sample is heard; it stands while the music is paused (the context's
// clock may not).
export class HeardSample {
  constructor(ctx, rate) {
    this.clock = new AudioClock(ctx);
    this.rate = rate;
    this.startFrame = null; // context sample frame where the music's sample 0 plays
    this.sample = -1; // the music's sample heard at the last reading (-1: none yet)
    this.paused = false; // the sound's pause, as the player asked
  }

  // The music starts again from a row: none of it is heard yet.
  restart() {
    this.startFrame = null;
    this.sample = -1;
  }

  pause(paused) {
    this.paused = paused;
    if (paused) this.clock.suspend();
    else this.clock.resume();
  }

  now() {
    if (this.startFrame === null) return -1;
    if (!this.paused) {
      this.sample = Math.max(this.sample, Math.floor(this.clock.now() * this.rate) - this.startFrame);
      stats.heardSeconds = Math.max(0, this.sample) / this.rate;
    }
    return this.sample;
  }
}
