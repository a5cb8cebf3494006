// The page around the show: fetches the presentation into the module's file
// system, starts the show and its sound on the viewer's click, and gives the
// browser platform layer (src/platform/web_platform.cpp) its clock, keys,
// canvas and sound calls through Module.zintavel.
//
// For tests, ?fakefps=N replaces the clock by one that moves only at a
// present, by 1000/N ms (as zintavel-framehash does natively), and records a
// hash of every presented frame; ?soundhash=S has the audio thread hash the
// first S seconds after the module starts. ?mute plays without sound, as the
// program's --mute does; ?gentle ticks the gentle mode (the program's --gentle).
(function () {
  'use strict';
  const params = new URLSearchParams(location.search);
  const fakeFps = Number(params.get('fakefps')) || 0;
  const soundHashSeconds = Number(params.get('soundhash')) || 0;
  const mute = params.has('mute');
  const W = 320, H = 240;

  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const start = document.getElementById('start');
  const go = document.getElementById('go');
  const messages = document.getElementById('messages');
  const pausedBadge = document.getElementById('paused');
  const gentle = document.getElementById('gentle');
  gentle.checked = params.has('gentle');
  // Choosing the mode is not the click that starts the show.
  gentle.parentElement.addEventListener('click', (e) => e.stopPropagation());
  const g = canvas.getContext('2d', { willReadFrequently: fakeFps > 0 });
  const image = g.createImageData(W, H);

  // What a test (or a curious viewer) can read.
  const state = window.zintavel = {
    phase: 0, phaseName: 'loading', presents: 0, hashes: [], canvasMismatches: 0,
    messages: [], soundHashes: [], started: false, done: false, exitCode: null,
    clickAt: null, firstFrameAt: null, sound: 'off',
  };

  function say(text) {
    state.messages.push(text);
    messages.textContent += (messages.textContent ? '\n' : '') + text;
    messages.style.display = 'block';
  }
  function sayError(text) { console.error(text); say(text); }

  // --- Clock: milliseconds since the start, frozen while paused. --------------
  let runningSince = null, banked = 0, paused = false, pendingWake = null;
  function tick() {
    if (fakeFps) return Math.floor(state.presents * 1000 / fakeFps);
    return Math.floor(banked + (runningSince === null ? 0 : performance.now() - runningSince));
  }
  function setPaused(on) {
    if (on === paused || state.done || !state.started) return;
    paused = on;
    pausedBadge.style.display = on ? 'block' : 'none';
    if (on) {
      banked += performance.now() - runningSince;
      runningSince = null;
      if (audio) audio.suspend();
    } else {
      runningSince = performance.now();
      if (audio) audio.resume();
      if (pendingWake) { const w = pendingWake; pendingWake = null; w(); }
    }
  }

  // --- Keys and the window, as the show's window events. -----------------------
  const Close = 0, Escape = 1, OtherKey = 2;
  const events = [];
  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
  }
  document.addEventListener('keydown', (e) => {
    if (!state.started) return;
    if (e.code === 'Space') { e.preventDefault(); setPaused(!paused); return; }
    if (e.key === 'f' || e.key === 'F') { toggleFullScreen(); return; }
    if (e.key === 'Escape') events.push(Escape);
    else events.push(OtherKey);
  });
  canvas.addEventListener('dblclick', toggleFullScreen);
  window.addEventListener('pagehide', () => events.push(Close));

  // The largest whole multiple of the show's size that fits, letterboxed.
  function fit() {
    const scale = Math.max(1, Math.floor(Math.min(window.innerWidth / W, window.innerHeight / H)));
    canvas.style.width = (W * scale) + 'px';
    canvas.style.height = (H * scale) + 'px';
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  fit();

  // --- Frames. -----------------------------------------------------------------
  // FNV-1a over the surface's bytes in two 32-bit halves, as zintavel-framehash prints it.
  function fnv1a(bytes) {
    let lo = 0x84222325, hi = 0xcbf29ce4;
    for (let i = 0; i < bytes.length; i++) {
      lo = (lo ^ bytes[i]) >>> 0;
      const a = lo * 0x1b3;
      hi = (Math.imul(hi, 0x1b3) + (lo << 8) + Math.floor(a / 4294967296)) >>> 0;
      lo = a >>> 0;
    }
    return hi.toString(16).padStart(8, '0') + lo.toString(16).padStart(8, '0');
  }
  function present(ptr) {
    const src = Module.HEAPU8.subarray(ptr, ptr + W * H * 4);
    const dst = image.data;
    // The surface holds 0x00RRGGBB words, little-endian: B, G, R, unused.
    for (let i = 0; i < dst.length; i += 4) {
      dst[i] = src[i + 2]; dst[i + 1] = src[i + 1]; dst[i + 2] = src[i]; dst[i + 3] = 255;
    }
    g.putImageData(image, 0, 0);
    if (state.firstFrameAt === null) state.firstFrameAt = performance.now();
    if (fakeFps) {
      state.hashes.push(fnv1a(src));
      const shown = g.getImageData(0, 0, W, H).data;
      for (let i = 0; i < dst.length; i++) {
        if (shown[i] !== dst[i]) { state.canvasMismatches++; break; }
      }
    }
    state.presents++;
  }
  function waitFrame(wakeUp) {
    requestAnimationFrame(() => { if (paused) pendingWake = wakeUp; else wakeUp(); });
  }

  // --- Sound: calls become messages to the audio thread. -------------------------
  let audio = null, node = null;
  function sound(op, path, a, b) {
    if (mute) return true;
    if (!node) return false;
    if (op === 'loadModule' || op === 'loadStream') {
      const bytes = Module.FS.readFile(path);
      node.port.postMessage({ op: 'file', path: path, bytes: bytes }, [bytes.buffer]);
    }
    node.port.postMessage({ op: op, path: path, a: a, b: b });
    if (op === 'free') state.sound = 'freed';
    return true;
  }
  async function openSound(wasmBytes) {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context || !wasmBytes) return;
    audio = new Context({ sampleRate: 44100, latencyHint: 'playback' });
    try {
      await audio.audioWorklet.addModule('zintavel-audio.js');
      node = new AudioWorkletNode(audio, 'zintavel-audio', {
        numberOfInputs: 0, outputChannelCount: [2],
        processorOptions: { wasm: wasmBytes, hashSeconds: soundHashSeconds },
      });
    } catch (e) {
      sayError('zintavel: the browser\'s audio thread could not start: ' + e);
      node = null;
      return;
    }
    await new Promise((resolve) => {
      node.port.onmessage = (e) => {
        const m = e.data;
        if (m.type === 'ready') { state.sound = 'ready'; resolve(); }
        else if (m.type === 'error') sayError(m.text);
        else if (m.type === 'log') console.log(m.text);
        else if (m.type === 'soundHash') state.soundHashes.push({ hash: m.hash, peak: m.peak });
      };
    });
    node.connect(audio.destination);
    await audio.resume();
  }

  // --- The module and the presentation's files. ---------------------------------
  const fetched = fetch('files.json').then((r) => r.json()).then((names) => Promise.all(names.map(
    (name) => fetch('show/' + name).then((r) => {
      if (!r.ok) throw new Error(r.status + ' ' + r.statusText);
      return r.arrayBuffer();
    }).then((data) => ({ name: name, data: new Uint8Array(data) }),
            (e) => { console.error('zintavel: show/' + name + ': ' + e.message); return null; }))));
  const audioWasm = mute ? Promise.resolve(null) : fetch('zintavel-audio.wasm').then((r) => (r.ok ? r.arrayBuffer() : null), () => null);
  let runtimeReady;
  const ready = new Promise((resolve) => { runtimeReady = resolve; });

  window.Module = {
    print: (text) => console.log(text),
    printErr: sayError,
    onRuntimeInitialized: () => runtimeReady(),
    zintavel: {
      tick: tick,
      nextEvent: () => (events.length ? events.shift() : -1),
      // The show has written the same words to stderr already: the box goes to the console.
      message: (caption, text) => {
        const line = caption + ': ' + text;
        if (state.messages.some((m) => m.endsWith(line))) console.error(line); else sayError(line);
      },
      cursor: (show) => canvas.classList.toggle('nocursor', !show),
      present: present,
      waitFrame: waitFrame,
      soundOpen: () => mute || node !== null,
      sound: sound,
      phase: (n, name) => { state.phase = n; state.phaseName = name; },
      finished: (code) => finish(code),
    },
  };
  const script = document.createElement('script');
  script.src = 'zintavel.js';
  script.onerror = () => sayError('zintavel: zintavel.js could not be loaded');
  document.body.appendChild(script);

  function finish(code) {
    state.done = true;
    state.exitCode = code;
    if (audio) audio.close();
    canvas.classList.remove('nocursor');
    go.textContent = code === 0 ? 'The end. Reload the page to watch it again.' : 'The show stopped.';
    start.classList.add('waiting', 'ended');
    start.style.display = 'flex';
  }

  Promise.all([fetched, ready]).then(([files]) => {
    for (const f of files) {
      if (!f) continue;
      const path = '/show/' + f.name;
      Module.FS.mkdirTree(path.substring(0, path.lastIndexOf('/')));
      Module.FS.writeFile(path, f.data);
    }
    start.classList.remove('waiting');
    go.textContent = 'Click to start';
    state.phaseName = 'ready';
    const begin = async () => {
      if (state.started) return;
      state.started = true;
      state.clickAt = performance.now();
      start.style.display = 'none';
      try {
        if (!mute) await openSound(await audioWasm);
      } catch (e) {
        sayError('zintavel: no sound: ' + e);  // the show then stops with its own message
        node = null;
      }
      runningSince = performance.now();
      try {
        Module.callMain(gentle.checked ? ['--gentle'] : []);
      } catch (e) {
        sayError('zintavel: ' + e);
      }
    };
    start.addEventListener('click', begin);
    start.addEventListener('keydown', (e) => { if (e.key === 'Enter' || e.key === ' ') begin(); });
  }, (e) => sayError('zintavel: ' + e));
})();
