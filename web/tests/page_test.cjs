// The page in headless Chromium (Debian's, driven through playwright-core):
// served from 127.0.0.1, started by a click, its frames under a fake clock
// equal to the native build's, its audio thread's module mix equal to the
// native mix, pause and full screen, a visible message for a missing file.
// Screenshots of every phase go to OUT (look at them).
//   node page_test.cjs SITE NATIVE_FRAMEHASH DEMO_DIR OUT [--mute]
// --mute leaves the sound out (the page's ?mute), for a build without it.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

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

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.json': 'application/json' };
// Serves `root`, less the files in `hidden` (paths under root).
function serve(root, hidden = []) {
  const server = http.createServer((req, res) => {
    const rel = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(root, rel);
    if (!file.startsWith(root) || hidden.includes(rel) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end('not found');
      return;
    }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

let passed = 0, failed = 0;
function check(name, ok, detail = '') {
  if (ok) passed++; else failed++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? ': ' + detail : ''}`);
}

async function launch() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
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
  await page.click('#start');
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
  await page.waitForFunction((n) => zintavel.presents >= n, closingFrom + 20, { timeout: 10000 });
  await page.screenshot({ path: path.join(out, 'phase-6.png') });
  await page.waitForFunction(() => zintavel.done, null, { timeout: 20000 });
  await page.screenshot({ path: path.join(out, 'phase-7-end.png') });
  check('the show ends after the closing with exit code 0', await page.evaluate(() => zintavel.exitCode) === 0);
  check('no console errors', consoleErrors.length === 0, consoleErrors.slice(0, 3).join(' | '));
  await page.close();
}

async function sound(browser, base) {
  const nativeSound = execFileSync(nativeHasher.replace(/framehash$/, 'soundhash'), [demo, String(SoundSeconds)])
    .toString().trim().split('\n').map((l) => l.split(' ')[2]);
  // The module starts with the countdown, 74 s in: 370 presents of the fake clock.
  const { page, consoleErrors } = await openPage(browser, `${base}/?fakefps=${Fps}&soundhash=${SoundSeconds}`);
  await page.click('#start');
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

async function realClock(browser, base) {
  const { page } = await openPage(browser, base + (mute ? '/?mute' : '/'));
  await page.click('#start');
  await page.waitForFunction(() => zintavel.presents > 0, null, { timeout: 10000 });
  const first = await page.evaluate(() => zintavel.firstFrameAt - zintavel.clickAt);
  check('first frame within 2 s of the click', first < 2000, `${first.toFixed(0)} ms`);
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
  await page.keyboard.press('f');
  await page.waitForTimeout(300);
  const full = await page.evaluate(() => ({ on: !!document.fullscreenElement, w: document.getElementById('screen').style.width }));
  await page.screenshot({ path: path.join(out, 'full-screen.png') });
  check('F shows the show full screen at a whole multiple', full.on && parseInt(full.w, 10) % 320 === 0, JSON.stringify(full));
  await page.close();
}

async function missing(browser, root, hidden, expect, shot) {
  const server = await serve(root, hidden);
  const { page, consoleErrors } = await openPage(browser, `http://127.0.0.1:${server.address().port}/${mute ? '?mute' : ''}`);
  await page.click('#start');
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

(async () => {
  const server = await serve(site);
  const base = `http://127.0.0.1:${server.address().port}`;
  const browser = await launch();
  try {
    await frames(browser, base);
    if (!mute) await sound(browser, base);
    await realClock(browser, base);
    await missing(browser, site, ['show/data/card.pcx'], 'card.pcx', 'missing-data.png');
    await missing(browser, site, ['show/tune.it'], 'tune.it', 'missing-music.png');
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
