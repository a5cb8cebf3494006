// The timeline under the picture, as video players have it: hidden until the
// pointer moves (or a finger taps), the phases marked, the time and the phase
// shown; a click seeks there, and a drag scrubs: the picture follows the
// pointer and the sound comes back where it is let go. It also shows, for a
// second over the picture's corner, where a seek landed, as the program does.
// page.js makes it with hooks into the show: seekTo(ms), scrubStart(),
// scrubTo(ms), scrubEnd(ms), pause(), paused(), showMs(), phase(), phaseName().
// The phases' names are the show's own (the marks come with them, the
// closing's last), so the page says each phase one way everywhere.
function makeTimeline(hooks) {
  'use strict';
  const stage = document.getElementById('stage');
  const bar = document.getElementById('controls');
  const track = document.getElementById('track');
  const fill = document.getElementById('fill');
  const knob = document.getElementById('knob');
  const tip = document.getElementById('tip');
  const time = document.getElementById('time');
  const button = document.getElementById('playpause');
  const landing = document.getElementById('landing');
  const ShowFor = 2500;

  let marks = null, hideTimer = null, landingTimer = null;
  let dragging = null, scrubbing = false, hovering = false, target = null, progress = null, cursorWanted = true;

  // "1:23.4", tenths truncated, as the program's seek line has it.
  function clock(ms) {
    const tenths = Math.floor(ms / 100);
    const s = Math.floor(tenths / 10);
    return Math.floor(s / 60) + ':' + String(s % 60).padStart(2, '0') + '.' + (tenths % 10);
  }
  function phaseAt(ms) {
    if (!marks) return '';
    if (hooks.phase() === 6) return marks.names[marks.names.length - 1];
    let i = 0;
    while (i + 1 < marks.starts.length && marks.starts[i + 1] <= ms) i++;
    return marks.names[i];
  }
  const fraction = (ms) => (marks ? Math.min(1, ms / marks.wholeMs) : 0);
  function msAt(clientX) {
    const r = track.getBoundingClientRect();
    const f = Math.min(1, Math.max(0, (clientX - r.left) / r.width));
    return Math.round(f * (marks ? marks.wholeMs : 0));
  }

  function visible() { return bar.classList.contains('shown'); }
  function cursor() { stage.classList.toggle('nocursor', !cursorWanted && !visible()); }
  function hideLater() {
    clearTimeout(hideTimer);
    hideTimer = setTimeout(() => {
      if (hovering || dragging !== null || hooks.paused() || target !== null) hideLater();
      else { bar.classList.remove('shown'); cursor(); }
    }, ShowFor);
  }
  function show() {
    if (!marks) return;
    bar.classList.add('shown');
    cursor();
    update();
    hideLater();
  }
  function hide() {
    clearTimeout(hideTimer);
    bar.classList.remove('shown');
    cursor();
  }

  function update() {
    button.textContent = hooks.paused() ? '\u25b6' : '\u275a\u275a';
    button.title = hooks.paused() ? 'Play (Space)' : 'Pause (Space)';
    if (!marks || !visible()) return;
    // While a seek runs, the bar stands where it goes.
    const at = dragging !== null ? dragging : target !== null ? target : hooks.showMs();
    fill.style.width = (100 * fraction(at)) + '%';
    knob.style.left = (100 * fraction(at)) + '%';
    let text = clock(at) + ' / ' + clock(marks.wholeMs) + '  ' + (at === hooks.showMs() ? hooks.phaseName() : phaseAt(at));
    if (target !== null && dragging === null) {
      text += progress !== null ? '  (seeking ' + Math.floor(100 * progress) + '%)' : '  (seeking)';
    }
    time.textContent = text;
  }

  function setMarks(m) {
    marks = m;
    for (let i = 1; i < m.starts.length; i++) {
      const tick = document.createElement('div');
      tick.className = 'mark';
      tick.style.left = (100 * fraction(m.starts[i])) + '%';
      tick.title = m.names[i] + ' ' + clock(m.starts[i]);
      track.appendChild(tick);
    }
  }

  function press(e) {
    e.preventDefault();
    track.setPointerCapture(e.pointerId);
    dragging = msAt(e.clientX);
    scrubbing = false;
    show();
  }
  track.addEventListener('pointerdown', (e) => { if (marks) press(e); });
  // The hidden bar takes no pointer, yet a finger that lands where it stands
  // means it: the press shows it and goes on as a press on it (a tap seeks).
  let pressedHidden = false;
  function onHiddenTrack(e) {
    if (!marks || visible()) return false;
    const r = track.getBoundingClientRect(), b = bar.getBoundingClientRect();
    return e.clientX >= r.left && e.clientX <= r.right && e.clientY >= r.top - r.height && e.clientY <= b.bottom;
  }
  track.addEventListener('pointermove', (e) => {
    const ms = msAt(e.clientX);
    // A press that moves scrubs; one that does not is a click.
    if (dragging !== null && ms !== dragging) {
      if (!scrubbing) hooks.scrubStart();
      scrubbing = true;
      dragging = ms;
      hooks.scrubTo(ms);
      update();
    }
    tip.textContent = clock(ms) + ' ' + phaseAt(ms);
    tip.style.left = (100 * fraction(ms)) + '%';
  });
  // A cancelled scrub stays where the picture went, and the sound comes back there.
  const letGo = (e, seek) => {
    if (dragging === null) return;
    const ms = seek ? msAt(e.clientX) : dragging;
    dragging = null;
    if (scrubbing) hooks.scrubEnd(ms);
    else if (seek) hooks.seekTo(ms);
    scrubbing = false;
    update();
  };
  track.addEventListener('pointerup', (e) => letGo(e, true));
  track.addEventListener('pointercancel', (e) => letGo(e, false));
  bar.addEventListener('pointerenter', () => { hovering = true; });
  bar.addEventListener('pointerleave', () => { hovering = false; });
  // The button never keeps the focus, or Space would press it as well as pause.
  button.addEventListener('mousedown', (e) => e.preventDefault());
  button.addEventListener('click', (e) => { e.stopPropagation(); button.blur(); hooks.pause(); show(); });
  stage.addEventListener('pointermove', (e) => { if (e.pointerType === 'mouse') show(); });
  stage.addEventListener('pointerdown', (e) => {
    pressedHidden = onHiddenTrack(e);
    if (pressedHidden) press(e); else show();
  });

  return {
    // Whether a click belongs to the timeline (the last press began on it, shown or not).
    owns: (e) => bar.contains(e.target) || pressedHidden,
    // Over the picture's bottom edge, as wide as the picture.
    place(r) {
      bar.classList.toggle('narrow', r.width < 520);
      bar.style.left = r.left + 'px';
      bar.style.width = r.width + 'px';
      // Never below the window, should the picture ever reach past it.
      bar.style.top = (Math.min(r.bottom, window.innerHeight) - bar.offsetHeight) + 'px';
      landing.style.left = (r.left + 8) + 'px';
      landing.style.top = (r.top + 8) + 'px';
    },
    update: update,
    marks: setMarks,
    show: show,
    hide: hide,
    cursor(on) { cursorWanted = on; cursor(); },
    seeking(to, at) {
      target = to;
      progress = at === undefined || !to ? null : Math.min(1, at / to);
      show();
    },
    landed(ms, label) {
      target = null;
      progress = null;
      update();
      landing.textContent = label;
      landing.style.display = 'block';
      clearTimeout(landingTimer);
      landingTimer = setTimeout(() => { landing.style.display = 'none'; }, 1000);
    },
  };
}
