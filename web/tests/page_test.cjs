// The page in headless Chromium (Debian's, driven through playwright-core):
// served from 127.0.0.1, started by a click, its frames under a fake clock
// equal to the native build's, its audio thread's module mix equal to the
// native mix, pause and full screen, a visible message for a missing file;
// ?t= and the timeline landing where the native program's --start-at does
// (frames and sound), the seek keys, a scrub of the timeline, the sound far
// into the module's loop once its instances are parked, and the page on a
// phone-shaped touch screen in both orientations. Screenshots go to OUT (look at them).
//   node page_test.cjs SITE NATIVE_FRAMEHASH DEMO_DIR OUT [--mute]
// --mute leaves the sound out (the page's ?mute), for a build without it.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serveDirectory, launchBrowser } = require('./serve.cjs');

const modules = process.env.ZINTAVEL_WEB_NODE_MODULES;
if (!modules) {
  console.log('page test skipped: ZINTAVEL_WEB_NODE_MODULES is not set (scripts/test --web sets it)');
  process.exit(77);
}
const { chromium } = require(path.join(modules, 'playwright-core'));
const [site, nativeHasher, demo, out, muteFlag] = process.argv.slice(2);
const mute = muteFlag === '--mute';
fs.mkdirSync(out, { recursive: true });

const Fps = 5;          // fake clock: 200 ms of show time per present
const Frames = 480;     // 96 s: title card, part one, countdown, bridge, part two
const SoundSeconds = 3;

let passed = 0, failed = 0;
function check(name, ok, detail = '') {
  if (ok) passed++; else failed++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? ': ' + detail : ''}`);
}

async function openPage(browser, url) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 720 } });
  const consoleErrors = [];
  page.on('console', (m) => { if (m.type() === 'error') consoleErrors.push(m.text()); });
  page.on('pageerror', (e) => consoleErrors.push('page error: ' + e.message));
  await page.goto(url);
  await page.waitForFunction(() => window.zintavel && window.zintavel.phaseName === 'ready', null, { timeout: 30000 });
  return { page, consoleErrors };
}

async function frames(browser, base) {
  const native = execFileSync(nativeHasher, ['frames', demo, '--fps', String(Fps), '--quit-at', '1000000'],
    { maxBuffer: 1 << 26 }).toString().trim().split('\n').slice(0, Frames).map((l) => l.split(' ')[3]);

  // The frames do not depend on the sound: muted, this part runs on any build.
  const { page, consoleErrors } = await openPage(browser, `${base}/?mute&fakefps=${Fps}`);
  await page.screenshot({ path: path.join(out, 'phase-0-start.png') });
  // The show names its kernels on the console as it starts.
  const kernels = [];
  page.on('console', (m) => { const k = /drawing with the (\S+) kernels/.exec(m.text()); if (k) kernels.push(k[1]); });
  await page.click('#go');
  const seen = new Set();
  const deadline = Date.now() + 120000;
  while (Date.now() < deadline) {
    const state = await page.evaluate(() => ({ phase: zintavel.phase, presents: zintavel.presents }));
    if (!seen.has(state.phase) && state.phase > 0) {
      seen.add(state.phase);
      // A little into the phase, so the shot shows it.
      await page.waitForFunction((n) => zintavel.presents >= n, state.presents + 8);
      await page.screenshot({ path: path.join(out, `phase-${state.phase}.png`) });
    }
    if (state.presents >= Frames) break;
    await page.waitForTimeout(100);
  }
  const got = await page.evaluate(() => ({ hashes: zintavel.hashes, mismatches: zintavel.canvasMismatches }));
  let same = 0, firstDiff = -1;
  for (let i = 0; i < Frames; i++) {
    if (got.hashes[i] === native[i]) same++; else if (firstDiff < 0) firstDiff = i;
  }
  check('every phase shown', [1, 2, 3, 4, 5].every((p) => seen.has(p)), [...seen].join(','));
  check(`the first ${Frames} frames equal the native build's`, same === Frames,
    `${same} equal${firstDiff >= 0 ? ', first difference at ' + firstDiff : ''}`);
  check('the page draws with its vector kernels', kernels.length === 1 && kernels[0] !== 'reference',
    kernels.join(', ') || 'none named');
  check('the canvas shows each presented frame', got.mismatches === 0, `${got.mismatches} differ`);

  // Escape ends part two; the closing runs its 10 s (50 presents) and the show ends.
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => zintavel.phase === 6, null, { timeout: 10000 });
  const closingFrom = await page.evaluate(() => zintavel.presents);
  check('the closing is named as the show names it', await page.evaluate(() => zintavel.phaseName) === 'closing');
  await page.waitForFunction((n) => zintavel.presents >= n, closingFrom + 20, { timeout: 10000 });
  await page.screenshot({ path: path.join(out, 'phase-6.png') });
  await page.waitForFunction(() => zintavel.done, null, { timeout: 20000 });
  await page.screenshot({ path: path.join(out, 'phase-7-end.png') });
  check('the show ends after the closing with exit code 0', await page.evaluate(() => zintavel.exitCode) === 0);
  // The end screen offers no choices: there is nothing left to start.
  const end = await page.evaluate(() => ({ go: document.getElementById('go').textContent,
    shown: [...document.querySelectorAll('#start > *, #setup > *')].filter((e) => e.offsetParent !== null).map((e) => e.id || e.className) }));
  check('the end screen says the end and shows no set-up line', end.go.startsWith('The end') &&
    JSON.stringify(end.shown) === JSON.stringify(['', 'setup', 'go']), JSON.stringify(end));
  check('no console errors', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();
}

async function sound(browser, base) {
  const nativeSound = execFileSync(nativeHasher.replace(/framehash$/, 'soundhash'), [demo, String(SoundSeconds)])
    .toString().trim().split('\n').map((l) => l.split(' ')[2]);
  // The module starts with the countdown, 74 s in: 370 presents of the fake clock.
  const { page, consoleErrors } = await openPage(browser, `${base}/?fakefps=${Fps}&soundhash=${SoundSeconds}`);
  await page.click('#go');
  await page.waitForFunction((n) => zintavel.soundHashes.length >= n, SoundSeconds, { timeout: 60000 }).catch(() => {});
  const got = await page.evaluate(() => ({ sounds: zintavel.soundHashes, sound: zintavel.sound }));
  const hashes = got.sounds.map((s) => s.hash);
  check(`the audio thread's first ${SoundSeconds} s of the module equal the native mix`,
    JSON.stringify(hashes) === JSON.stringify(nativeSound), hashes.join(' ') + ' vs ' + nativeSound.join(' '));
  check('the module is not silent', got.sounds.length > 0 && got.sounds.every((s) => s.peak > 0.01),
    got.sounds.map((s) => s.peak.toFixed(3)).join(' '));
  check('no console errors with sound', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();
}

// The hashes of `count` frames from --start-at as the native build runs it, at
// the fake clock's rate: zintavel-framehash takes --start-at as the program
// does and hashes the whole surface (a recording's PNG frames would drop each
// pixel's unused top byte, which some scenes write).
function nativeFramesFrom(startMs, count) {
  return execFileSync(nativeHasher, ['frames', demo, '--fps', String(Fps), '--start-at', (startMs / 1000).toFixed(3),
    '--quit-at', String(count * 1000 / Fps)], { maxBuffer: 1 << 26 })
    .toString().trim().split('\n').slice(0, count).map((l) => l.split(' ')[3]);
}

// The first show time at or after `ms` on the fake clock's frame grid.
const onGrid = (ms) => Math.ceil(ms * Fps / 1000) * 1000 / Fps;

// `count` frames from the page's landing `n` equal the native program's from the same moment.
async function landsLikeNative(page, n, count, what) {
  await page.waitForFunction((n) => zintavel.landings.length > n, n, { timeout: 60000 });
  const landing = await page.evaluate((n) => zintavel.landings[n], n);
  await page.waitForFunction((p) => zintavel.presents >= p, landing.presents + count, { timeout: 30000 });
  const got = await page.evaluate(([from, count]) => zintavel.hashes.slice(from, from + count), [landing.presents, count]);
  const native = nativeFramesFrom(landing.ms, count);
  let same = 0;
  for (let i = 0; i < count; i++) if (got[i] === native[i]) same++;
  check(`${what}: ${count} frames from ${landing.ms} ms equal the native --start-at's`, same === count && native.length === count,
    `${same} equal of ${native.length}`);
  return landing;
}

async function seeking(browser, base) {
  const Count = 12;
  // ?t= in part one, whose frames feed on the ones before: the whole replay counts.
  const { page, consoleErrors } = await openPage(browser, `${base}/?mute&fakefps=${Fps}&t=0:35.5`);
  check('the start screen names the moment', (await page.textContent('#go')) === 'Start at 0:35.5');
  await page.click('#go');
  let landing = await landsLikeNative(page, 0, Count, '?t=0:35.5');
  check('?t=0:35.5 lands on the first frame from 35.5 s', landing.ms === onGrid(35500), `${landing.ms} ms`);
  await page.screenshot({ path: path.join(out, 'seek-t.png') });

  // The timeline: hidden until the pointer moves over the picture, then a click on it.
  await page.waitForTimeout(3000);
  check('the timeline is hidden while the pointer rests', !(await page.evaluate(() =>
    document.getElementById('controls').classList.contains('shown'))));
  const marks = await page.evaluate(() => zintavel.marks);
  check('the timeline marks the phases', marks && marks.starts.length === 6 && marks.wholeMs > marks.starts[5],
    JSON.stringify(marks));
  const track = await page.locator('#track').boundingBox();
  for (const [f, what] of [[0.55, 'a click forward on the timeline'], [0.12, 'a click back on the timeline']]) {
    await page.mouse.move(track.x + track.width / 2, track.y - 100);
    await page.mouse.move(track.x + track.width / 2, track.y - 90);
    await page.waitForSelector('#controls.shown', { timeout: 5000 });
    const n = await page.evaluate(() => zintavel.landings.length);
    await page.mouse.click(track.x + f * track.width, track.y + track.height / 2);
    const asked = await page.evaluate(() => zintavel.seeks[zintavel.seeks.length - 1]);
    check(`${what} asks for the time under the pointer`, Math.abs(asked - f * marks.wholeMs) < marks.wholeMs / track.width + 1,
      `${asked} ms`);
    landing = await landsLikeNative(page, n, Count, what);
    if (f === 0.55) await page.screenshot({ path: path.join(out, 'seek-timeline.png') });
  }
  // The player's keys: Page Down to the next phase's start, Left 5 s back.
  let n = await page.evaluate(() => zintavel.landings.length);
  await page.keyboard.press('PageDown');
  landing = await landsLikeNative(page, n, 4, 'Page Down');
  const phaseStart = await page.evaluate(() => zintavel.seeks[zintavel.seeks.length - 1]);
  check('Page Down lands at the next phase\'s start', marks.starts.includes(phaseStart) && landing.ms === onGrid(phaseStart),
    `asked ${phaseStart} ms, landed at ${landing.ms} ms`);
  // Paused, a seek shows its landing frame and the pause holds.
  await page.keyboard.press('Space');
  await page.waitForTimeout(300);
  const before = await page.evaluate(() => ({ p: zintavel.presents, ms: zintavel.showMs }));
  n = await page.evaluate(() => zintavel.landings.length);
  await page.keyboard.press('ArrowLeft');
  await page.waitForFunction((n) => zintavel.landings.length > n, n, { timeout: 30000 });
  await page.waitForTimeout(500);
  const after = await page.evaluate(() => ({ p: zintavel.presents, ms: zintavel.showMs,
    badge: document.getElementById('paused').style.display }));
  // The paused clock stands at the next frame's time.
  check('paused, Left lands 5 s back, shows that frame and stays paused',
    after.p === before.p + 1 && after.ms === onGrid(before.ms + 1000 / Fps - 5000) && after.badge === 'block',
    JSON.stringify([before, after]));
  await page.screenshot({ path: path.join(out, 'seek-paused.png') });
  await page.keyboard.press('Space');
  // A click into the text pages: the page names them so wherever it shows the
  // phase, as the show, its timeline and the program's seek line do.
  {
    await page.mouse.move(track.x + track.width / 2, track.y - 100);
    await page.mouse.move(track.x + track.width / 2, track.y - 90);
    await page.waitForSelector('#controls.shown', { timeout: 5000 });
    const n = await page.evaluate(() => zintavel.landings.length);
    await page.mouse.click(track.x + (marks.starts[5] + 4000) / marks.wholeMs * track.width, track.y + track.height / 2);
    await page.waitForFunction((n) => zintavel.landings.length > n, n, { timeout: 60000 });
    await page.waitForFunction(() => zintavel.presents > zintavel.landings[zintavel.landings.length - 1].presents + 2);
    const names = await page.evaluate(() => ({ phase: zintavel.phaseName, label: document.getElementById('landing').textContent,
      time: document.getElementById('time').textContent }));
    check('in the text pages the page names them so everywhere', names.phase === 'text pages' &&
      / text pages$/i.test(names.label) && /  text pages$/.test(names.time), JSON.stringify(names));
  }

  check('no console errors while seeking', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();

  // A ?t= that is not a time says so and plays from the start.
  const bad = await openPage(browser, `${base}/?mute&fakefps=${Fps}&t=1:75`);
  await bad.page.click('#go');
  await bad.page.waitForFunction(() => zintavel.presents > 5, null, { timeout: 30000 });
  const said = await bad.page.evaluate(() => ({ messages: zintavel.messages, landings: zintavel.landings.length }));
  check('a ?t= that is not a time is named and the show starts at its beginning',
    said.landings === 0 && said.messages.some((m) => m.includes('?t=1:75: not a time')), JSON.stringify(said));
  await bad.page.close();
}

// While a seek runs its frames unseen the canvas is not black: under a ?t=
// start (nothing shown yet) it shows the title card, under a later seek the
// frame last shown. On the real clock, so the replay of the whole of part one
// yields to the page again and again on its way.
async function seekPicture(browser, base) {
  const { page, consoleErrors } = await openPage(browser, `${base}/?mute&t=1:12`);
  await page.evaluate(() => {
    const g = document.getElementById('screen').getContext('2d');
    const pixels = () => g.getImageData(0, 0, 320, 240).data;
    // The share of the canvas's pixels that are not black.
    const lit = (d) => { let n = 0; for (let i = 0; i < d.length; i += 4) if (d[i] + d[i + 1] + d[i + 2] > 24) n++; return n / (320 * 240); };
    const z = Module.zintavel, present = z.present, replaying = z.replaying, landed = z.landed;
    const seen = window.seen = { during: [], landings: [], keep: false };
    let last = null;
    z.present = (...a) => { present(...a); if (seen.keep) last = pixels().slice(); };
    z.replaying = (...a) => { seen.during.push({ lit: lit(pixels()), presents: zintavel.presents }); replaying(...a); };
    z.landed = (...a) => {
      const d = pixels();
      seen.landings.push({ lit: lit(d), presents: zintavel.presents, asShown: last !== null && d.every((v, i) => v === last[i]) });
      landed(...a);
    };
  });
  await page.click('#go');
  await page.waitForFunction(() => seen.during.length >= 3 || zintavel.landings.length > 0, null, { timeout: 60000 });
  await page.screenshot({ path: path.join(out, 'seek-t-under-way.png') });
  await page.waitForFunction(() => zintavel.landings.length > 0, null, { timeout: 120000 });
  let seen = await page.evaluate(() => window.seen);
  const lits = seen.during.map((s) => s.lit.toFixed(2));
  check('under a ?t= seek the canvas shows the title card, not black', seen.during.length >= 3 &&
    seen.during.every((s) => s.presents === 0 && s.lit > 0.5) && seen.landings[0].lit > 0.5,
    `${seen.during.length} looks during the seek, lit ${lits.slice(0, 8).join(' ')}..., at the landing ${seen.landings[0].lit.toFixed(2)}`);

  // A later seek, into part one from its end: the frame last shown stays under the progress.
  await page.evaluate(() => { seen.keep = true; });
  await page.waitForFunction(() => zintavel.presents > 30, null, { timeout: 30000 });
  await page.evaluate(() => Module._zw_seek_to(25000));
  await page.waitForFunction(() => zintavel.landings.length > 1, null, { timeout: 60000 });
  seen = await page.evaluate(() => window.seen);
  check('under a later seek the canvas keeps the frame last shown', seen.landings.length === 2 &&
    seen.landings[1].asShown && seen.landings[1].lit > 0.05, JSON.stringify(seen.landings[1]));
  check('no console errors under seeks on the real clock', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();
}

// The native engine's first two seconds of the module from the sample where a
// landing at `ms` on the fake clock stands: the countdown starts the module on
// frame 371 (74.2 s), and each frame is 8,820 samples.
function nativeSoundAt(ms) {
  const samples = (Math.round(ms * Fps / 1000) - 371) * 44100 / Fps;
  return execFileSync(nativeHasher.replace(/framehash$/, 'soundhash'), [demo, '2', String(samples)])
    .toString().trim().split('\n').map((l) => l.split(' ')[2]);
}

// The sound thread's two seconds of hashes after landing `n`, against the native engine's.
async function soundLandsLikeNative(page, n, what) {
  const landing = await page.evaluate((n) => zintavel.landings[n], n);
  await page.waitForFunction(() => zintavel.soundHashes.length >= 2, null, { timeout: 60000 }).catch(() => {});
  const hashes = await page.evaluate(() => zintavel.soundHashes.map((s) => s.hash));
  const native = nativeSoundAt(landing.ms);
  check(`${what}: from ${landing.ms} ms the sound thread plays what the native engine does`,
    JSON.stringify(hashes) === JSON.stringify(native), hashes.join(' ') + ' vs ' + native.join(' '));
}

// After ?t= lands in the module, the sound thread plays what the native engine
// plays from there (76.2 s: 88,200 samples in). Once the module's instances
// are parked and its loop proven, a seek past 278 s (where positions fold back
// onto the loop) lands on the same sample as the native engine's mix too.
async function seekSound(browser, base) {
  const { page, consoleErrors } = await openPage(browser, `${base}/?fakefps=${Fps}&t=76.2&soundhash=2`);
  await page.click('#go');
  await page.waitForFunction(() => zintavel.landings.length > 0, null, { timeout: 60000 });
  await soundLandsLikeNative(page, 0, '?t=76.2');

  const since = Date.now();
  await page.waitForFunction(() => zintavel.soundCheckpoints && zintavel.soundCheckpoints.complete, null,
    { timeout: 420000, polling: 1000 }).catch(() => {});
  const points = await page.evaluate(() => zintavel.soundCheckpoints);
  check('the sound thread parks the module\'s instances and proves its loop',
    points && points.complete && points.loopProven && points.ready > 4,
    `${JSON.stringify(points)} after ${((Date.now() - since) / 1000).toFixed(0)} s`);
  const n = await page.evaluate(() => {
    zintavel.soundHashes = [];
    Module._zw_seek_to(300000);
    return zintavel.landings.length;
  });
  await page.waitForFunction((n) => zintavel.landings.length > n, n, { timeout: 60000 });
  await soundLandsLikeNative(page, n, 'a seek to 300 s');
  check('no console errors seeking with sound', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();
}

// Starts the show and shows its timeline; where a moment stands on it.
async function startWithTimeline(page) {
  await page.click('#go');
  await page.waitForFunction(() => zintavel.marks !== null, null, { timeout: 30000 });
  const whole = await page.evaluate(() => zintavel.marks.wholeMs);
  const track = await page.locator('#track').boundingBox();
  await page.mouse.move(track.x + track.width / 2, track.y - 100);
  await page.mouse.move(track.x + track.width / 2, track.y - 90);
  await page.waitForSelector('#controls.shown', { timeout: 5000 });
  return { whole, track, x: (ms) => track.x + ms / whole * track.width, y: track.y + track.height / 2 };
}

// A drag along the timeline scrubs: its seeks land while the pointer is held,
// one after another, and the show goes on from each without waiting for the
// sound (held until letting go); letting go lands as the native --start-at
// does, and the sound thread lands there with it.
async function scrubbing(browser, base) {
  const { page, consoleErrors } = await openPage(browser, `${base}/?fakefps=${Fps}&soundhash=2${mute ? '&mute' : ''}`);
  const { whole, track, x, y } = await startWithTimeline(page);
  await page.mouse.move(x(10000), y);
  await page.mouse.down();
  // Part one (from its checkpoints), the bridge, part two (passed at once), back into part one.
  const stops = [22000, 41000, 86000, 140000, 30000, 120000];
  const before = await page.evaluate(() => zintavel.landings.length);
  let held = true;
  for (const ms of stops) {
    const n = await page.evaluate(() => zintavel.landings.length);
    await page.mouse.move(x(ms), y, { steps: 5 });
    await page.waitForFunction((n) => zintavel.landings.length > n, n, { timeout: 30000 });
    // The show plays on from the landing with the pointer still down.
    const p = await page.evaluate(() => zintavel.presents);
    held = held && await page.waitForFunction((p) => zintavel.presents >= p + 3, p, { timeout: 10000 })
      .then(() => true, () => false);
  }
  const during = await page.evaluate((from) => zintavel.landings.slice(from), before);
  check('a scrub lands while the pointer is held, and the show plays on from each landing',
    during.length >= stops.length && during.every((l) => l.scrubbing) && held,
    `${during.length} landings (${during.map((l) => l.ms).join(', ')}), playing on: ${held}`);
  await page.evaluate(() => { zintavel.soundHashes = []; });
  const n = await page.evaluate(() => zintavel.landings.length);
  await page.mouse.up();
  const landing = await landsLikeNative(page, n, 8, 'letting go of a scrub');
  check('letting go lands where the scrub stood', !landing.scrubbing &&
    Math.abs(landing.ms - stops[stops.length - 1]) < whole / track.width + 1000 / Fps, `${landing.ms} ms`);
  if (!mute) await soundLandsLikeNative(page, n, 'letting go of a scrub');

  check('no console errors while scrubbing', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();
}

// Escape while the pointer still scrubs: the show first lands where the
// scrub stands, with its sound, and then closes, heard. On the real clock, so
// the closing lasts long enough for its sound to be hashed.
async function quitWhileScrubbing(browser, base) {
  const { page, consoleErrors } = await openPage(browser, `${base}/?soundhash=1${mute ? '&mute' : ''}`);
  const { x, y } = await startWithTimeline(page);
  await page.mouse.move(x(110000), y);
  await page.mouse.down();
  const n = await page.evaluate(() => zintavel.landings.length);
  await page.mouse.move(x(100000), y, { steps: 5 });
  await page.waitForFunction((n) => zintavel.landings.length > n, n, { timeout: 30000 });
  const before = await page.evaluate(() => ({ landings: zintavel.landings.length, sound: zintavel.soundLandings.length }));
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => zintavel.phaseName === 'closing', null, { timeout: 30000 });
  await page.evaluate(() => { zintavel.soundHashes = []; });
  const quit = await page.evaluate(() => ({ landings: zintavel.landings.slice(-1), sound: zintavel.soundLandings.length }));
  check('Escape while scrubbing lands where the scrub stood, then the closing comes',
    quit.landings.length === 1 && Math.abs(quit.landings[0].ms - 100000) < 10000 &&
    (mute || quit.sound > before.sound), JSON.stringify({ before, quit }));
  if (!mute) {
    const heard = await page.waitForFunction(() => zintavel.soundHashes.some((h) => h.peak > 0.01), null,
      { timeout: 8000 }).then(() => true, () => false);
    check('the closing after Escape while scrubbing is heard', heard,
      JSON.stringify(await page.evaluate(() => zintavel.soundHashes)));
  }
  const after = await page.evaluate(() => zintavel.landings.length);
  await page.mouse.up();
  await page.waitForTimeout(500);
  check('letting go in the closing seeks nowhere', await page.evaluate(() => zintavel.landings.length) === after);
  check('no console errors quitting while scrubbing', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();
}

async function realClock(browser, base) {
  const { page } = await openPage(browser, base + (mute ? '/?mute' : '/'));
  await page.click('#go');
  await page.waitForFunction(() => zintavel.presents > 0, null, { timeout: 10000 });
  const first = await page.evaluate(() => zintavel.firstFrameAt - zintavel.clickAt);
  // A liveness bound, not a speed target: a loaded machine takes seconds to
  // start the module; the figure is printed either way.
  check('the first frame follows the click', first < 10000, `${first.toFixed(0)} ms`);
  await page.waitForTimeout(2000);
  const rate = await page.evaluate(async () => {
    const p0 = zintavel.presents, t0 = performance.now();
    let raf = 0;
    await new Promise((r) => { const f = () => { if (++raf < 120) requestAnimationFrame(f); else r(); }; requestAnimationFrame(f); });
    return { presents: zintavel.presents - p0, raf: raf, ms: performance.now() - t0 };
  });
  check('a frame at every animation frame', rate.presents >= rate.raf - 2,
    `${rate.presents} presents in ${rate.raf} animation frames, ${(1000 * rate.presents / rate.ms).toFixed(1)} per s`);
  // Space pauses: the clock and the frames stand still.
  await page.keyboard.press('Space');
  const a = await page.evaluate(() => ({ t: Module.zintavel.tick(), p: zintavel.presents }));
  await page.waitForTimeout(500);
  const b = await page.evaluate(() => ({ t: Module.zintavel.tick(), p: zintavel.presents }));
  check('Space pauses the clock and the frames', a.t === b.t && b.p - a.p <= 1, JSON.stringify([a, b]));
  await page.screenshot({ path: path.join(out, 'paused.png') });
  await page.keyboard.press('Space');
  await page.waitForTimeout(300);
  const c = await page.evaluate(() => ({ t: Module.zintavel.tick(), p: zintavel.presents }));
  check('Space again resumes', c.t > b.t && c.p > b.p);
  // The timeline's button pauses too, and Space after it resumes (the button keeps no focus to press again).
  await page.mouse.move(640, 300);
  await page.mouse.move(650, 310);
  await page.click('#playpause');
  const byButton = await page.evaluate(() => document.getElementById('paused').style.display);
  await page.keyboard.press('Space');
  await page.waitForTimeout(300);
  const afterSpace = await page.evaluate(() => document.getElementById('paused').style.display);
  check('the timeline\'s button pauses and Space resumes', byButton === 'block' && afterSpace === 'none',
    JSON.stringify([byButton, afterSpace]));
  await page.keyboard.press('f');
  await page.waitForTimeout(300);
  const full = await page.evaluate(() => ({ on: !!document.fullscreenElement, w: document.getElementById('screen').style.width }));
  await page.screenshot({ path: path.join(out, 'full-screen.png') });
  check('F shows the show full screen at a whole multiple', full.on && parseInt(full.w, 10) % 320 === 0, JSON.stringify(full));
  await page.close();
}

// The canvas where the page shows it: centred, its corner on a device pixel
// (as near as Chromium's layout unit, 1/64 of a CSS pixel, comes), at the
// largest whole multiple of 320x240 in device pixels that fits if that covers
// at least three quarters of the largest 4:3 area that fits, else at that 4:3
// area. Returns the scale and the share of that area the picture fills.
async function checkFit(page, what) {
  const g = await page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.left, y: r.top, w: r.width, h: r.height, vw: innerWidth, vh: innerHeight, dpr: devicePixelRatio };
  });
  const dw = Math.round(g.vw * g.dpr), dh = Math.round(g.vh * g.dpr);
  const k = Math.max(1, Math.floor(Math.min(dw / 320, dh / 240)));
  const fw = Math.min(dw, Math.floor(dh * 4 / 3)), fh = Math.min(dh, Math.floor(dw * 3 / 4));
  const whole = 320 * k * 240 * k >= 0.75 * fw * fh;
  const [ew, eh] = whole ? [320 * k, 240 * k] : [fw, fh];
  const near = (a, b) => Math.abs(a - b) < g.dpr / 64 + 1e-6;
  const onDevice = (v) => near(v * g.dpr, Math.round(v * g.dpr));
  const fill = (g.w * g.dpr) * (g.h * g.dpr) / (fw * fh);
  const screen = (g.w * g.h) / (g.vw * g.vh);
  check(`${what}: ${whole ? 'a whole multiple' : 'the 4:3 fit'}, ${Math.round(g.w)}x${Math.round(g.h)} CSS px, ` +
    `${(100 * fill).toFixed(0)}% of the 4:3 area (${(100 * screen).toFixed(0)}% of the screen), centred`,
    near(g.w * g.dpr, ew) && near(g.h * g.dpr, eh) && fill >= 0.7 &&
    Math.abs(g.x - (g.vw - g.w) / 2) <= 1 / g.dpr && Math.abs(g.y - (g.vh - g.h) / 2) <= 1 / g.dpr &&
    onDevice(g.x) && onDevice(g.y) && g.x >= 0 && g.y >= 0 && g.x + g.w <= g.vw + 0.01 && g.y + g.h <= g.vh + 0.01,
    JSON.stringify(g));
  return { scale: g.w * g.dpr / 320, whole: whole, fill: fill };
}

// The timeline over the picture's bottom and the seek line over its corner
// stay within the picture, the timeline's words within their box.
async function checkOverlays(page, what) {
  const o = await page.evaluate(() => {
    const box = (id) => { const r = document.getElementById(id).getBoundingClientRect(); return { l: r.left, t: r.top, r: r.right, b: r.bottom, w: r.width }; };
    const time = document.getElementById('time');
    const landing = document.getElementById('landing').style.display === 'block' ? box('landing') : null;
    return { picture: box('screen'), bar: box('controls'), track: box('track'), landing: landing,
      text: time.textContent, clipped: time.scrollWidth > time.clientWidth + 1 };
  });
  const inside = (a, b) => a.l >= b.l - 0.5 && a.r <= b.r + 0.5 && a.t >= b.t - 0.5 && a.b <= b.b + 0.5;
  check(`${what}: the timeline and the seek line fit the picture`, inside(o.bar, o.picture) && o.track.w >= 100 &&
    !o.clipped && (o.landing === null || inside(o.landing, o.picture)), JSON.stringify(o));
}

// A phone-shaped touch screen (DevTools' device metrics and touch emulation):
// tap to start, the picture letterboxed in both orientations, a tap for full
// screen and landscape (the lock may be refused: the page carries on), the
// timeline by touch, and no scroll or zoom gesture reaching the page.
async function phone(browser, base) {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3,
    isMobile: true, hasTouch: true });
  const page = await context.newPage();
  page.on('crash', () => console.log('the phone page crashed'));
  const consoleErrors = [];
  page.on('console', (m) => { if (m.type() === 'error') consoleErrors.push(m.text()); });
  page.on('pageerror', (e) => consoleErrors.push('page error: ' + e.message));
  const cdp = await context.newCDPSession(page);
  const metrics = (w, h, type, angle) => cdp.send('Emulation.setDeviceMetricsOverride', { width: w, height: h,
    deviceScaleFactor: 3, mobile: true, screenOrientation: { type: type, angle: angle } });
  const turn = async (landscape) => {
    await (landscape ? metrics(844, 390, 'landscapePrimary', 90) : metrics(390, 844, 'portraitPrimary', 0));
    await page.waitForFunction((w) => innerWidth === w, landscape ? 844 : 390, { timeout: 5000 });
    await page.waitForTimeout(200);
  };
  // Playwright's own screenshots put its viewport back: these keep the turned one.
  const shoot = async (name) => fs.writeFileSync(path.join(out, name),
    Buffer.from((await cdp.send('Page.captureScreenshot', { format: 'png' })).data, 'base64'));
  await metrics(390, 844, 'portraitPrimary', 0);
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  await page.goto(base + (mute ? '/?mute' : '/'));
  await page.waitForFunction(() => window.zintavel && window.zintavel.phaseName === 'ready', null, { timeout: 30000 });

  const startFits = () => page.evaluate(() => {
    const last = [...document.querySelectorAll('#start > *')].filter((e) => e.offsetParent !== null).pop();
    return { bottom: last.getBoundingClientRect().bottom, vh: innerHeight, go: document.getElementById('go').textContent,
      scroll: document.scrollingElement.scrollHeight };
  });
  for (const landscape of [false, true]) {
    if (landscape) await turn(true);
    const f = await startFits();
    const name = landscape ? 'landscape' : 'portrait';
    await shoot(`phone-start-${name}.png`);
    check(`phone, ${name}: the start screen fits without scrolling and offers Start`,
      f.bottom <= f.vh && f.scroll <= f.vh && f.go === 'Start', JSON.stringify(f));
  }
  await turn(false);
  const meta = await page.evaluate(() => ({
    viewport: document.querySelector('meta[name=viewport]').content,
    touch: [document.documentElement, document.body, document.getElementById('stage')].map((e) => getComputedStyle(e).touchAction),
  }));
  check('phone: the viewport does not zoom and the page takes no touch gestures',
    /user-scalable=no/.test(meta.viewport) && meta.touch.every((t) => t === 'none'), JSON.stringify(meta));

  // A tap on a set-up line changes it there and then, and does not start the show.
  await page.tap('#gentle-choice');
  const tapped = await page.evaluate(() => ({ line: document.getElementById('gentle-choice').textContent, started: zintavel.started }));
  check('phone: a tap on a set-up line changes it and does not start', tapped.line === 'Gentle mode: on' && !tapped.started,
    JSON.stringify(tapped));
  await page.tap('#go');
  await page.waitForFunction(() => zintavel.presents > 10, null, { timeout: 20000 });
  check('phone: a tap starts the show', await page.evaluate(() => zintavel.started));
  await checkFit(page, 'phone, portrait');

  // A swipe and a two-finger pinch, touch by touch (headless Chromium's own
  // synthesized touch pinch does not zoom even a page that allows it; these do).
  const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type: type, touchPoints: points });
  await touch('touchStart', [{ x: 195, y: 700, id: 1 }]);
  for (let i = 1; i <= 10; i++) await touch('touchMove', [{ x: 195 - 5 * i, y: 700 - 50 * i, id: 1 }]);
  await touch('touchEnd', []);
  await touch('touchStart', [{ x: 180, y: 400, id: 1 }, { x: 210, y: 440, id: 2 }]);
  for (let i = 1; i <= 10; i++) {
    await touch('touchMove', [{ x: 180 - 10 * i, y: 400 - 20 * i, id: 1 }, { x: 210 + 10 * i, y: 440 + 20 * i, id: 2 }]);
  }
  await touch('touchEnd', []);
  await page.waitForTimeout(300);
  const view = await page.evaluate(() => ({ scale: visualViewport.scale, x: scrollX, y: scrollY,
    vx: visualViewport.offsetLeft, vy: visualViewport.offsetTop }));
  check('phone: a swipe and a pinch neither scroll nor zoom the page',
    view.scale === 1 && view.x === 0 && view.y === 0 && view.vx === 0 && view.vy === 0, JSON.stringify(view));

  // A tap on the picture: full screen and landscape where the browser allows, and the timeline.
  await page.tap('#screen');
  await page.waitForFunction(() => zintavel.orientationLock !== null, null, { timeout: 5000 }).catch(() => {});
  const asked = await page.evaluate(() => ({ fullScreen: zintavel.fullScreen, lock: zintavel.orientationLock,
    element: !!document.fullscreenElement, timeline: document.getElementById('controls').classList.contains('shown') }));
  check('phone: a tap on the picture goes full screen, asks for landscape (taking a refusal) and shows the timeline',
    asked.element && asked.fullScreen === 'on' && /^(locked|refused|unavailable)/.test(asked.lock || '') && asked.timeline,
    JSON.stringify(asked));
  await shoot('phone-portrait.png');

  await checkOverlays(page, 'phone, portrait');

  await turn(true);
  await checkFit(page, 'phone, landscape');
  await page.tap('#screen');
  await page.waitForSelector('#controls.shown', { timeout: 5000 });
  await page.evaluate(() => Module._zw_seek_to(5000));
  await page.waitForFunction(() => zintavel.landings.length > 0, null, { timeout: 60000 }).catch(() => {});
  await checkOverlays(page, 'phone, landscape');
  // The first tap on the hidden timeline shows it and seeks there.
  await page.waitForSelector('#controls:not(.shown)', { timeout: 10000 });
  const track = await page.locator('#track').boundingBox();
  const n = await page.evaluate(() => zintavel.seeks.length);
  const landings = await page.evaluate(() => zintavel.landings.length);
  await page.touchscreen.tap(track.x + track.width * 0.3, track.y + track.height / 2);
  await page.waitForFunction((n) => zintavel.landings.length > 1 || zintavel.seeks.length > n, n, { timeout: 5000 }).catch(() => {});
  const seek = await page.evaluate(() => ({ seeks: zintavel.seeks, whole: zintavel.marks.wholeMs }));
  const shownNow = await page.evaluate(() => document.getElementById('controls').classList.contains('shown'));
  check('phone: one tap on the hidden timeline shows it and seeks there', shownNow && seek.seeks.length === n + 1 &&
    Math.abs(seek.seeks[n] - 0.3 * seek.whole) < seek.whole / track.width + 1, JSON.stringify(seek));
  await page.waitForFunction((n) => zintavel.landings.length > n, landings, { timeout: 60000 }).catch(() => {});
  // On the real clock (and with the sound thread catching up, unless muted) the show goes on from there.
  const landed = await page.evaluate((n) => ({ presents: zintavel.presents, landing: zintavel.landings[n] }), landings);
  await page.waitForTimeout(1500);
  const later = await page.evaluate(() => ({ presents: zintavel.presents, ms: zintavel.showMs }));
  check('phone: the show plays on from where the tap landed', landed.landing && later.presents > landed.presents + 10 &&
    later.ms > landed.landing.ms && later.ms < landed.landing.ms + 10000, JSON.stringify([landed, later]));
  await shoot('phone-landscape.png');
  check('phone: no console errors', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await context.close();
}

// The start screen's set-up lines: the program's words, changed in place by
// keyboard (the letters, Up/Down and Enter) and by mouse without starting the
// show, remembered over a reload, and taken by the show once Enter starts it.
async function setupCard(browser, base) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 720 } });
  const page = await context.newPage();
  const consoleErrors = [];
  page.on('console', (m) => { if (m.type() === 'error') consoleErrors.push(m.text()); });
  const load = async () => {
    await page.goto(`${base}/${mute ? '?mute' : ''}`);
    await page.waitForFunction(() => window.zintavel && zintavel.phaseName === 'ready', null, { timeout: 30000 });
  };
  // What the card shows: each visible line's words, and which is lit as just changed.
  const card = () => page.evaluate(() => ({
    lines: [...document.querySelectorAll('#setup button')].filter((b) => b.offsetParent !== null).map((b) => b.textContent),
    changed: [...document.querySelectorAll('#setup .changed')].map((b) => b.textContent),
    focus: document.activeElement && document.activeElement.textContent, started: zintavel.started }));
  await load();
  const fresh = await card();
  const soundWord = mute ? 'Sound: off' : 'Sound: on';
  check('the start screen offers the set-up lines in the program\'s words, Start focused',
    JSON.stringify(fresh.lines) === JSON.stringify(['Screen: window', 'Gentle mode: off', soundWord, 'Start']) &&
    fresh.focus === 'Start', JSON.stringify(fresh));
  await page.keyboard.press('g');
  const byLetter = await card();
  await page.keyboard.press('ArrowDown');  // from Gentle mode to Sound
  await page.keyboard.press('Enter');
  const byEnter = await card();
  await page.click('#screen-choice');
  const byMouse = await card();
  const soundOff = 'Sound: off';
  check('G, Down and Enter, and a click each change their line on the card, lit, without starting the show',
    byLetter.lines[1] === 'Gentle mode: on' && byLetter.changed.includes('Gentle mode: on') &&
    byEnter.lines[2] === (mute ? 'Sound: on' : soundOff) && byEnter.changed.includes(byEnter.lines[2]) &&
    byMouse.lines[0] === 'Screen: full screen' && byMouse.changed.includes('Screen: full screen') &&
    [byLetter, byEnter, byMouse].every((c) => !c.started), JSON.stringify([byLetter, byEnter, byMouse]));
  // Without sound either way from here, so the muted builds run it alike.
  if (mute) await page.keyboard.press('Enter');
  await load();
  const kept = await card();
  check('the choices are remembered for next time', JSON.stringify(kept.lines) ===
    JSON.stringify(['Screen: full screen', 'Gentle mode: on', 'Sound: off', 'Start']), JSON.stringify(kept));
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => zintavel.presents > 5, null, { timeout: 20000 });
  await page.waitForTimeout(300);
  const run = await page.evaluate(() => ({ args: zintavel.args, full: !!document.fullscreenElement, sound: zintavel.sound,
    card: document.getElementById('start').style.display }));
  check('Enter starts the show with the choices: full screen, gentle, no sound', run.card === 'none' &&
    run.full && run.args.includes('--gentle') && run.sound === 'off', JSON.stringify(run));
  check('no console errors on the set-up card', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await context.close();
}

async function missing(browser, root, hidden, expect, shot) {
  const server = await serveDirectory(root, hidden);
  const { page, consoleErrors } = await openPage(browser, `http://127.0.0.1:${server.address().port}/${mute ? '?mute' : ''}`);
  await page.click('#go');
  await page.waitForFunction((e) => zintavel.messages.some((m) => m.includes(e)), expect, { timeout: 15000 })
    .catch(() => {});
  const shown = await page.evaluate(() => document.getElementById('messages').textContent);
  const visible = await page.isVisible('#messages');
  await page.screenshot({ path: path.join(out, shot) });
  check(`a missing ${hidden[0]} is named on the page and in the console`,
    visible && shown.includes(expect) && consoleErrors.some((m) => m.includes(expect)), JSON.stringify(shown));
  await page.close();
  server.close();
}

// ZINTAVEL_PAGE_TESTS=seeking,phone runs only those parts (while working on them): frames,
// sound, seeking, scrubbing, clock, setup, phone, missing.
const only = (process.env.ZINTAVEL_PAGE_TESTS || '').split(',').filter(Boolean);
const wanted = (name) => only.length === 0 || only.includes(name);

(async () => {
  const server = await serveDirectory(site);
  const base = `http://127.0.0.1:${server.address().port}`;
  const browser = await launchBrowser(chromium);
  try {
    if (wanted('frames')) await frames(browser, base);
    if (wanted('sound') && !mute) await sound(browser, base);
    if (wanted('seeking')) await seeking(browser, base);
    if (wanted('seeking')) await seekPicture(browser, base);
    if (wanted('seeking') && !mute) await seekSound(browser, base);
    if (wanted('scrubbing')) await scrubbing(browser, base);
    if (wanted('scrubbing')) await quitWhileScrubbing(browser, base);
    if (wanted('clock')) await realClock(browser, base);
    if (wanted('setup')) await setupCard(browser, base);
    if (wanted('phone')) await phone(browser, base);
    if (wanted('missing')) {
      await missing(browser, site, ['show/data/card.pcx'], 'card.pcx', 'missing-data.png');
      await missing(browser, site, ['show/tune.it'], 'tune.it', 'missing-music.png');
    }
  } catch (e) {
    check('the page test ran to its end', false, e.stack);
  } finally {
    await browser.close();
    server.close();
  }
  console.log(`screenshots in ${out}`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
