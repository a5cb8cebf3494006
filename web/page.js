// The page around the show: fetches the presentation into the module's file
// system, starts the show and its sound on the viewer's click, and gives the
// browser platform layer (src/platform/web_platform.cpp) its clock, keys,
// canvas and sound calls through Module.zintavel.
//
// For tests, ?fakefps=N replaces the clock by one that moves only at a
// present, by 1000/N ms (as zintavel-framehash does natively), and records a
// hash of every presented frame; ?soundhash=S has the audio thread hash the
// first S seconds after the module starts. ?mute plays without sound, as the
// program's --mute does; ?gentle turns the gentle mode on (the program's
// --gentle). Both set the start screen's choices for this visit only: the
// viewer's own are kept in localStorage.
// zintavel.soundCheckpoints says how far the audio thread has come parking the
// module for seeks (complete once nothing is left to build).
// ?t=TIME starts the show at TIME (as the program's --start-at takes it), so a
// link can point at a moment; the player's seek keys and the timeline under the
// picture (web/timeline.js) seek while it plays.
(function () {
  'use strict';
  const params = new URLSearchParams(location.search);
  const fakeFps = Number(params.get('fakefps')) || 0;
  const soundHashSeconds = Number(params.get('soundhash')) || 0;
  let mute = params.has('mute');  // or the viewer's "Sound: off", once the show starts
  const startAt = params.get('t');
  const coarse = window.matchMedia && window.matchMedia('(pointer: coarse)').matches;
  const W = 320, H = 240;

  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const start = document.getElementById('start');
  const go = document.getElementById('go');
  const messages = document.getElementById('messages');
  const pausedBadge = document.getElementById('paused');
  const controls = makeTimeline({
    seekTo: (ms) => seekAsked(Module._zw_seek_to(ms)),
    scrubStart: () => scrubStart(),
    scrubTo: (ms) => scrubTo(ms),
    scrubEnd: (ms) => scrubEnd(ms),
    pause: () => setPaused(!paused),
    paused: () => paused,
    showMs: () => state.showMs,
    phase: () => state.phase,
    phaseName: () => state.phaseName,
  });
  const g = canvas.getContext('2d', { willReadFrequently: fakeFps > 0 });
  const image = g.createImageData(W, H);

  // What a test (or a curious viewer) can read.
  const state = window.zintavel = {
    phase: 0, phaseName: 'loading', presents: 0, hashes: [], canvasMismatches: 0,
    messages: [], soundHashes: [], started: false, done: false, exitCode: null,
    clickAt: null, firstFrameAt: null, sound: 'off',
    showMs: 0, marks: null, seeks: [], landings: [], replayProgress: null, scrubbing: false,
    soundCheckpoints: null, soundLandings: [],
    fullScreen: null, orientationLock: null, fit: null, setup: null, args: null, posters: 0,
  };

  function say(text) {
    state.messages.push(text);
    messages.textContent += (messages.textContent ? '\n' : '') + text;
    messages.style.display = 'block';
  }
  function sayError(text) { console.error(text); say(text); }

  // --- Clock: milliseconds since the start, frozen while paused and while the
  // sound thread catches up with a seek. ----------------------------------------
  let runningSince = null, banked = 0, paused = false, pendingWake = null;
  let landsAsked = 0, landsHeard = 0, landWatch = null;
  const held = () => paused || landsHeard < landsAsked;
  function tick() {
    if (fakeFps) return Math.floor(state.presents * 1000 / fakeFps);
    return Math.floor(banked + (runningSince === null ? 0 : performance.now() - runningSince));
  }
  // Call before and after anything that changes held().
  function stopClock() {
    if (runningSince !== null) banked += performance.now() - runningSince;
    runningSince = null;
  }
  function startClock() {
    if (held() || !state.started || state.done) return;
    if (runningSince === null) runningSince = performance.now();
    if (pendingWake) { const w = pendingWake; pendingWake = null; w(); }
  }
  function setPaused(on) {
    if (on === paused || state.done || !state.started) return;
    stopClock();
    paused = on;
    pausedBadge.style.display = on ? 'block' : 'none';
    if (audio) on ? audio.suspend() : audio.resume();
    startClock();
    controls.update();
  }
  // A seek asked for: a paused show runs to its landing frame, then holds.
  function seekAsked(to) {
    if (to < 0) return;
    state.seeks.push(to);
    controls.seeking(to);
    if (paused && pendingWake) { const w = pendingWake; pendingWake = null; w(); }
  }
  // Scrubbing: the picture follows the dragged timeline one seek at a time (a
  // newer moment waits for the landing, so a steady drag still shows frames),
  // without sound: the sound thread is held until the seek made on letting go.
  let scrubWant = null, scrubInFlight = false;
  function scrubStart() {
    if (!state.started || state.done || state.scrubbing) return;
    state.scrubbing = true;
    scrubWant = null;
    scrubInFlight = false;
    Module._zw_scrub(1);
  }
  function scrubTo(ms) {
    if (!state.scrubbing) return;
    scrubWant = ms;
    scrubNext();
  }
  function scrubNext() {
    if (!state.scrubbing || scrubInFlight || scrubWant === null) return;
    const to = Module._zw_seek_to(scrubWant);
    scrubWant = null;
    if (to < 0) return;
    scrubInFlight = true;
    seekAsked(to);
  }
  function scrubEnd(ms) {
    if (!state.scrubbing) return;
    state.scrubbing = false;
    Module._zw_scrub(0);
    seekAsked(Module._zw_seek_to(ms));
  }
  function soundLanded() {
    state.soundLandings.push(performance.now());
    stopClock();
    landsHeard++;
    startClock();
  }

  // --- Keys and the window, as the show's window events. -----------------------
  const Close = 0, Escape = 1, OtherKey = 2;
  const events = [];
  let lastPointer = 'mouse';
  document.addEventListener('pointerdown', (e) => { lastPointer = e.pointerType; }, true);
  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
  }
  // On a phone: full screen, turned sideways where the browser lets a page do
  // that (most refuse outside full screen, and desktops always).
  function phoneFullScreen() {
    const turn = () => {
      if (!(screen.orientation && screen.orientation.lock)) { state.orientationLock = 'unavailable'; return; }
      screen.orientation.lock('landscape').then(() => { state.orientationLock = 'locked'; },
        (e) => { state.orientationLock = 'refused: ' + e.name; });
    };
    if (document.fullscreenElement) { turn(); return; }
    if (!stage.requestFullscreen) { state.fullScreen = 'unavailable'; turn(); return; }
    stage.requestFullscreen({ navigationUI: 'hide' }).then(() => { state.fullScreen = 'on'; turn(); },
      (e) => { state.fullScreen = 'refused: ' + e.name; turn(); });
  }
  // The player's seek keys, in the show's order: Left, Right, Down, Up, Home, Page Up, Page Down.
  const seekKeys = ['ArrowLeft', 'ArrowRight', 'ArrowDown', 'ArrowUp', 'Home', 'PageUp', 'PageDown'];
  document.addEventListener('keydown', (e) => {
    if (!state.started || state.done) return;
    if (e.code === 'Space' || e.key === 'p' || e.key === 'P') {
      e.preventDefault();
      if (!e.repeat) setPaused(!paused);
      return;
    }
    if (e.key === 'f' || e.key === 'F') { toggleFullScreen(); return; }
    const k = seekKeys.indexOf(e.key);
    if (k >= 0) {
      e.preventDefault();
      seekAsked(Module._zw_seek_key(k));
      return;
    }
    if (e.key === 'Escape' || e.key === 'q' || e.key === 'Q') events.push(Escape);
    else events.push(OtherKey);
  });
  canvas.addEventListener('dblclick', () => { if (lastPointer === 'mouse') toggleFullScreen(); });
  // A tap on the picture: full screen and sideways, and the timeline for a while.
  stage.addEventListener('click', (e) => {
    if (lastPointer === 'mouse' || !state.started || state.done || controls.owns(e)) return;
    phoneFullScreen();
    controls.show();
  });
  window.addEventListener('pagehide', () => events.push(Close));
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement && screen.orientation && screen.orientation.unlock) {
      try { screen.orientation.unlock(); } catch (e) { /* nothing was locked */ }
    }
  });
  // No scrolling, zooming or pull-to-refresh reaches the page (touch-action
  // and the viewport say so too; Safari's pinch needs telling on its own).
  document.addEventListener('touchmove', (e) => { if (e.cancelable) e.preventDefault(); }, { passive: false });
  document.addEventListener('gesturestart', (e) => e.preventDefault());

  // Whole multiples of the show's size in device pixels keep every pixel the
  // same size, and fill a desktop screen well. Where the largest that fits
  // covers less than WholeAtLeast of the area a 4:3 fit would (a phone, either
  // way up, gets about two thirds), the picture fills the screen at 4:3
  // instead, as the program's --scale fit does: still nearest-neighbour, some
  // of its pixels a device pixel wider than the others. Either way it is
  // letterboxed, its corner on a device pixel so no column is smeared.
  const WholeAtLeast = 0.75;
  function placement(dw, dh) {
    const scale = Math.max(1, Math.floor(Math.min(dw / W, dh / H)));
    // The 4:3 fit, cross-multiplied as the program's PlacePicture does.
    let fw, fh;
    if (dw * H <= dh * W) { fw = dw; fh = Math.floor(dw * H / W); } else { fh = dh; fw = Math.floor(dh * W / H); }
    const whole = W * scale * H * scale >= WholeAtLeast * fw * fh;
    const w = whole ? W * scale : Math.max(1, fw), h = whole ? H * scale : Math.max(1, fh);
    return { w: w, h: h, x: Math.max(0, Math.floor((dw - w) / 2)), y: Math.max(0, Math.floor((dh - h) / 2)),
      whole: whole, scale: whole ? scale : w / W, fill: (w * h) / (Math.max(1, fw) * Math.max(1, fh)) };
  }
  function fit() {
    const dpr = window.devicePixelRatio || 1;
    const vw = stage.clientWidth || window.innerWidth, vh = stage.clientHeight || window.innerHeight;
    const p = placement(Math.round(vw * dpr), Math.round(vh * dpr));
    canvas.style.width = p.w / dpr + 'px';
    canvas.style.height = p.h / dpr + 'px';
    canvas.style.left = p.x / dpr + 'px';
    canvas.style.top = p.y / dpr + 'px';
    state.fit = p;
    controls.place(canvas.getBoundingClientRect());
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  if (screen.orientation) screen.orientation.addEventListener('change', fit);
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
  // The surface holds 0x00RRGGBB words, little-endian: B, G, R, unused.
  function paint(src) {
    const dst = image.data;
    for (let i = 0; i < dst.length; i += 4) {
      dst[i] = src[i + 2]; dst[i + 1] = src[i + 1]; dst[i + 2] = src[i]; dst[i + 3] = 255;
    }
    g.putImageData(image, 0, 0);
  }
  // The name the page shows for the phase under way: the show's own, the text
  // pages apart from the rest of part two as on the timeline and in the program's seek line.
  function phaseName(n, name) {
    const m = state.marks;
    if (n === 5 && m && m.starts.length > 5 && state.showMs >= m.starts[5]) return m.names[5];
    return name;
  }
  let shownName = '';
  function present(ptr, showMs) {
    state.showMs = showMs;
    state.phaseName = phaseName(state.phase, shownName);
    const src = Module.HEAPU8.subarray(ptr, ptr + W * H * 4);
    const dst = image.data;
    paint(src);
    if (state.firstFrameAt === null) state.firstFrameAt = performance.now();
    if (fakeFps) {
      state.hashes.push(fnv1a(src));
      const shown = g.getImageData(0, 0, W, H).data;
      for (let i = 0; i < dst.length; i++) {
        if (shown[i] !== dst[i]) { state.canvasMismatches++; break; }
      }
    }
    state.presents++;
    controls.update();
  }
  function waitFrame(wakeUp) {
    requestAnimationFrame(() => { if (held()) pendingWake = wakeUp; else wakeUp(); });
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
    if (op === 'land') {
      stopClock();
      landsAsked++;
      // A sound thread that never answers does not stop the picture for good.
      clearTimeout(landWatch);
      landWatch = setTimeout(() => {
        if (landsHeard >= landsAsked) return;
        console.warn('zintavel: the sound thread did not catch up with a seek; the picture goes on');
        stopClock();
        landsHeard = landsAsked;
        startClock();
      }, 30000);
    }
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
        else if (m.type === 'landed') soundLanded();
        else if (m.type === 'soundHash') state.soundHashes.push({ hash: m.hash, peak: m.peak });
        else if (m.type === 'checkpoints') {
          // How far the sound thread has come parking the module for seeks.
          delete m.type;
          m.complete = !m.working && m.ready === m.points;
          state.soundCheckpoints = m;
        }
      };
    });
    node.connect(audio.destination);
    await audio.resume();
  }

  // --- The start screen: the warning, and the set-up lines of the program's
  // card that apply in a browser, each saying its choice in the program's
  // words and changing in place. Up/Down and Enter, the letters (G as on the
  // program's card), a click or a tap change them; Enter on Start, a click or a
  // tap elsewhere starts, a gesture so the sound may play. -------------------------
  const SetupKey = 'zintavel.setup';
  const canFullScreen = !!(document.fullscreenEnabled && stage.requestFullscreen);
  const setup = { screen: false, gentle: false, sound: true };
  try {
    const kept = JSON.parse(localStorage.getItem(SetupKey) || '{}');
    for (const k of Object.keys(setup)) if (typeof kept[k] === 'boolean') setup[k] = kept[k];
  } catch (e) { /* nothing kept, or no storage: the defaults */ }
  if (params.has('gentle')) setup.gentle = true;
  if (mute) setup.sound = false;
  const lines = {
    screen: { el: document.getElementById('screen-choice'), words: (on) => 'Screen: ' + (on ? 'full screen' : 'window') },
    gentle: { el: document.getElementById('gentle-choice'), words: (on) => 'Gentle mode: ' + (on ? 'on' : 'off') },
    sound: { el: document.getElementById('sound-choice'), words: (on) => 'Sound: ' + (on ? 'on' : 'off') },
  };
  // Where the page cannot go full screen (an iPhone) the line is not offered.
  if (!canFullScreen) { setup.screen = false; lines.screen.el.remove(); delete lines.screen; }
  function sayChoices() {
    for (const k of Object.keys(lines)) {
      lines[k].el.textContent = lines[k].words(setup[k]);
      lines[k].el.setAttribute('aria-pressed', String(setup[k]));
    }
  }
  const changedTimers = {};
  function change(k) {
    if (state.started || !lines[k]) return;
    setup[k] = !setup[k];
    sayChoices();
    // The line lights up for a moment, so the change is seen where it was made.
    const el = lines[k].el;
    el.classList.add('changed');
    clearTimeout(changedTimers[k]);
    changedTimers[k] = setTimeout(() => el.classList.remove('changed'), 700);
    try {
      localStorage.setItem(SetupKey, JSON.stringify({ screen: setup.screen && canFullScreen, gentle: setup.gentle, sound: setup.sound }));
    } catch (e) { /* not kept: the choice holds for this visit */ }
  }
  sayChoices();
  for (const k of Object.keys(lines)) {
    lines[k].el.addEventListener('click', (e) => { e.stopPropagation(); change(k); });
  }
  // The gentle mode's explanation is read, not pressed.
  document.querySelector('#setup .note').addEventListener('click', (e) => e.stopPropagation());
  let beginByKey = null;  // once the presentation is in
  const cardLines = () => [...document.querySelectorAll('#setup button')].filter((b) => !b.disabled);
  // Ahead of the show's keys (captured): nothing pressed on the card reaches the show.
  document.addEventListener('keydown', (e) => {
    if (state.started || start.style.display === 'none' || start.classList.contains('ended')) return;
    if (e.ctrlKey || e.metaKey || e.altKey) return;
    e.stopImmediatePropagation();
    const key = e.key.toLowerCase();
    const letter = Object.keys(lines).find((k) => lines[k].el.dataset.key === key);
    if (letter) { change(letter); lines[letter].el.focus({ preventScroll: true }); return; }
    if (e.key === 'ArrowUp' || e.key === 'ArrowDown') {
      e.preventDefault();
      const all = cardLines();
      const at = all.indexOf(document.activeElement);
      const next = at < 0 ? (e.key === 'ArrowUp' ? all.length - 1 : 0)
        : (at + (e.key === 'ArrowUp' ? all.length - 1 : 1)) % all.length;
      if (all[next]) all[next].focus({ preventScroll: true });
      return;
    }
    // A focused line takes Enter and Space itself, as a button does; elsewhere they start.
    if ((e.key === 'Enter' || e.key === ' ') && !cardLines().includes(document.activeElement)) {
      e.preventDefault();
      if (beginByKey) beginByKey();
    }
  }, true);

  // --- The module and the presentation's files. ---------------------------------
  const fetched = fetch('files.json').then((r) => r.json()).then((names) => Promise.all(names.map(
    (name) => fetch('show/' + name).then((r) => {
      if (!r.ok) throw new Error(r.status + ' ' + r.statusText);
      return r.arrayBuffer();
    }).then((data) => ({ name: name, data: new Uint8Array(data) }),
            (e) => { console.error('zintavel: show/' + name + ': ' + e.message); return null; }))));
  const fetchAudio = () => fetch('zintavel-audio.wasm').then((r) => (r.ok ? r.arrayBuffer() : null), () => null);
  // Fetched ahead unless the address says no sound (the viewer may still turn it on).
  let audioWasm = mute ? null : fetchAudio();
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
      cursor: (show) => controls.cursor(show),
      present: present,
      waitFrame: waitFrame,
      soundOpen: () => mute || node !== null,
      sound: sound,
      phase: (n, name) => { state.phase = n; shownName = name; state.phaseName = phaseName(n, name); controls.update(); },
      // A seek before any frame was shown: the title card stands under its progress.
      poster: (ptr) => {
        if (state.presents > 0) return;
        paint(Module.HEAPU8.subarray(ptr, ptr + W * H * 4));
        state.posters++;
      },
      timeline: (starts, names, wholeMs) => {
        state.marks = { starts: starts, names: names, wholeMs: wholeMs };
        controls.marks(state.marks);
      },
      replayFps: () => fakeFps || 60,
      // Progress through a long replay is painted before it goes on.
      replaying: (showMs, targetMs, wakeUp) => {
        state.replayProgress = { at: showMs, to: targetMs };
        controls.seeking(targetMs, showMs);
        requestAnimationFrame(() => setTimeout(wakeUp, 0));
      },
      landed: (showMs, label) => {
        state.landings.push({ ms: showMs, presents: state.presents, scrubbing: state.scrubbing });
        state.replayProgress = null;
        controls.landed(showMs, label);
        // Outside the show's call: the next moment of a scrub.
        if (scrubInFlight) setTimeout(() => { scrubInFlight = false; scrubNext(); }, 0);
      },
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
    controls.cursor(true);
    controls.hide();
    go.textContent = code === 0 ? 'The end. Reload the page to watch it again.' : 'The show stopped.';
    go.disabled = true;
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
    go.textContent = 'Start' + (startAt ? ' at ' + startAt : '');
    go.disabled = false;
    if (!coarse) go.focus({ preventScroll: true });
    state.phaseName = 'ready';
    const begin = async () => {
      if (state.started) return;
      state.started = true;
      state.clickAt = performance.now();
      state.setup = Object.assign({}, setup);
      start.style.display = 'none';
      // Still within the viewer's gesture, which full screen needs.
      if (setup.screen) {
        if (coarse) phoneFullScreen();
        else stage.requestFullscreen().then(() => { state.fullScreen = 'on'; },
          (e) => { state.fullScreen = 'refused: ' + e.name; });
      }
      mute = !setup.sound;
      try {
        if (!mute) await openSound(await (audioWasm || (audioWasm = fetchAudio())));
      } catch (e) {
        sayError('zintavel: no sound: ' + e);  // the show then stops with its own message
        node = null;
      }
      runningSince = performance.now();
      try {
        const args = setup.gentle ? ['--gentle'] : [];
        if (startAt !== null) args.push('--start-at', startAt);
        state.args = args;
        Module.callMain(args);
      } catch (e) {
        sayError('zintavel: ' + e);
      }
    };
    start.addEventListener('click', begin);
    beginByKey = begin;
  }, (e) => sayError('zintavel: ' + e));
})();
