// The audio thread: runs the sound layer's module (ZintavelAudio, above) and
// hands the browser 128 frames at a time. The page sends the wasm's bytes once
// and then one message per sound call; files arrive before the call that opens
// them. A seek is 'rewind', then 'drop' up to the sample of each sound call the
// unseen frames make, then 'land': the mix is skipped up to the landing and
// played from there, and the page hears 'landed'. Between the rewind and the
// landing the thread plays silence, and from a 'hold' (the timeline scrubbed)
// until the next seek lands.
//
// Between blocks, while it plays, the thread parks instances of the module
// along its song for seeks to start from, a little at a time: the amount per
// block follows what the last blocks' building cost, so the building never
// takes more than a share of the thread's time, on a slow machine too. The
// page hears how far it has come ('checkpoints').
// The audio thread's global scope has neither a performance clock nor crypto;
// the module's runtime wants one for timing and the other to seed the tracker
// library's random source (which the mix does not depend on).
if (typeof globalThis.performance === 'undefined') globalThis.performance = { now: () => Date.now() };
if (typeof globalThis.crypto === 'undefined') {
  globalThis.crypto = {
    getRandomValues: (array) => {
      for (let i = 0; i < array.length; i++) array[i] = Math.floor(Math.random() * 256);
      return array;
    },
  };
}

function zintavelFnv(bytes, lo, hi) {
  for (let i = 0; i < bytes.length; i++) {
    lo = (lo ^ bytes[i]) >>> 0;
    const a = lo * 0x1b3;
    hi = (Math.imul(hi, 0x1b3) + (lo << 8) + Math.floor(a / 4294967296)) >>> 0;
    lo = a >>> 0;
  }
  return [lo, hi];
}

// The building goes in steps of a quarter second of mixing, as the native
// worker's: libopenmpt's mix differs in its last bits with the blocks it is
// read in, and the same steps park the same instances and find the loop's two
// passes alike, as natively. Samples of building earned per block: where the
// rate starts, its least and most (a step per block), and the share of the
// thread's time the building may take, measured over windows of blocks (128
// blocks: 0.37 s).
const BuildStep = 11025;
const BuildRate = { start: 1024, least: BuildStep / 64, most: BuildStep, share: 0.25, window: 128 };

class ZintavelProcessor extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const opts = options.processorOptions || {};
    this.pending = [];
    this.m = null;
    this.hashSeconds = opts.hashSeconds || 0;
    this.hash = null;
    this.held = false;
    this.mixed = 0;  // samples skipped since the rewind
    // The building: samples of mixing owed to it, earned per block at `rate`;
    // the time it took over the current window of blocks (Date.now counts
    // whole milliseconds, which the sum over a window evens out).
    this.work = { left: false, rate: BuildRate.start, owed: 0, blocks: 0, ms: 0, totalMs: 0, longestMs: 0,
      calls: 0 };
    this.port.onmessage = (e) => {
      this.pending.push(e.data);
      if (this.m) this.drain();
    };
    const port = this.port;
    ZintavelAudio({
      instantiateWasm(imports, done) {
        const instance = new WebAssembly.Instance(new WebAssembly.Module(opts.wasm), imports);
        done(instance);
        return instance.exports;
      },
      print: (text) => port.postMessage({ type: 'log', text: text }),
      printErr: (text) => port.postMessage({ type: 'error', text: text }),
    }).then((m) => {
      this.m = m;
      this.drain();
      port.postMessage({ type: 'ready' });
    });
  }

  drain() {
    const m = this.m;
    while (this.pending.length) {
      const c = this.pending.shift();
      switch (c.op) {
        case 'file':
          m.FS.mkdirTree(c.path.substring(0, c.path.lastIndexOf('/')) || '/');
          m.FS.writeFile(c.path, c.bytes);
          break;
        case 'loadModule':
          m.ccall('zw_audio_load_module', 'number', ['string', 'number', 'number'], [c.path, c.a, c.b]);
          this.work.left = true;
          this.reportBuilding();
          break;
        case 'loadStream': m.ccall('zw_audio_load_stream', 'number', ['string'], [c.path]); break;
        case 'playModule':
          m._zw_audio_play_module();
          if (this.hashSeconds) this.hash = { lo: 0x84222325, hi: 0xcbf29ce4, frames: 0, second: 0, peak: 0 };
          break;
        case 'playStream': m._zw_audio_play_stream(); break;
        case 'freeStream': m._zw_audio_free_stream(); break;
        case 'volume': m._zw_audio_volume(c.a); break;
        case 'free': m._zw_audio_free(); break;
        case 'rewind':
          m._zw_audio_rewind();
          this.held = true;
          this.mixed = 0;
          break;
        case 'hold': this.held = true; break;
        case 'drop':
        case 'land':
          if (c.a > this.mixed) m._zw_audio_skip(c.a - this.mixed);
          this.mixed = Math.max(this.mixed, c.a);
          if (c.op === 'land') {
            this.held = false;
            // The skip may have taken a parked instance: another is built in its place.
            this.work.left = true;
            // A hash asked for starts again where the seek landed.
            if (this.hashSeconds) this.hash = { lo: 0x84222325, hi: 0xcbf29ce4, frames: 0, second: 0, peak: 0 };
            this.port.postMessage({ type: 'landed', sample: c.a });
          }
          break;
      }
    }
  }

  process(inputs, outputs) {
    const out = outputs[0];
    if (!this.m || !out || out.length < 2 || this.held) return true;
    const n = out[0].length;
    const at = this.m._zw_audio_render(n) >> 2;
    const mix = this.m.HEAPF32.subarray(at, at + 2 * n);
    const left = out[0], right = out[1];
    for (let i = 0; i < n; i++) {
      left[i] = mix[2 * i];
      right[i] = mix[2 * i + 1];
    }
    if (this.hash) this.hashBlock(mix, n);
    if (this.work.left) this.build(n);
    return true;
  }

  // Some of the building after a block: a step once the blocks have earned it.
  build(n) {
    const w = this.work;
    w.owed += w.rate;
    if (w.owed >= BuildStep) {
      const t0 = Date.now();
      w.left = this.m._zw_audio_checkpoint_work(BuildStep) !== 0;
      const ms = Date.now() - t0;
      w.owed -= BuildStep;
      w.ms += ms;
      w.totalMs += ms;
      w.longestMs = Math.max(w.longestMs, ms);
      w.calls++;
    }
    // Over each window: more while the building took little of the time the
    // blocks stand for, half as much when it took more than its share.
    if (++w.blocks === BuildRate.window) {
      const share = w.ms / (BuildRate.window * n * 1000 / sampleRate);
      if (share > BuildRate.share) w.rate = Math.max(BuildRate.least, w.rate / 2);
      else if (share < BuildRate.share / 2) w.rate = Math.min(BuildRate.most, w.rate * 1.5);
      w.blocks = 0;
      w.ms = 0;
      this.reportBuilding();
    } else if (!w.left) {
      this.reportBuilding();
    }
  }

  reportBuilding() {
    const m = this.m, w = this.work;
    const at = m._zw_audio_checkpoints() >> 2;
    const p = { ready: m.HEAP32[at], points: m.HEAP32[at + 1], loopProven: m.HEAP32[at + 2] !== 0,
      bytes: m.HEAP32[at + 3], working: w.left };
    this.port.postMessage(Object.assign({ type: 'checkpoints', rate: w.rate, workMs: w.totalMs,
      longestMs: w.longestMs, calls: w.calls, memory: m.HEAP8.length }, p));
  }

  // Hashes of each second of 44,100 frames, as zintavel-framehash prints them.
  hashBlock(mix, n) {
    const h = this.hash;
    const bytes = new Uint8Array(mix.buffer, mix.byteOffset, mix.byteLength);
    for (let f = 0; f < n && h.second < this.hashSeconds; f++) {
      [h.lo, h.hi] = zintavelFnv(bytes.subarray(8 * f, 8 * f + 8), h.lo, h.hi);
      h.peak = Math.max(h.peak, Math.abs(mix[2 * f]), Math.abs(mix[2 * f + 1]));
      if (++h.frames === 44100) {
        this.port.postMessage({ type: 'soundHash', second: h.second, peak: h.peak,
          hash: h.hi.toString(16).padStart(8, '0') + h.lo.toString(16).padStart(8, '0') });
        h.second++;
        h.frames = 0;
        h.peak = 0;
        h.lo = 0x84222325;
        h.hi = 0xcbf29ce4;
      }
    }
    if (h.second >= this.hashSeconds) this.hash = null;
  }
}

registerProcessor('zintavel-audio', ZintavelProcessor);
