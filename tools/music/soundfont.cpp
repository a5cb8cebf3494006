#include "soundfont.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Rate = 44100;
constexpr double Pi = 3.14159265358979323846;

// FluidSynth's own warnings (about the font's odd generators) are not ours to show.
void Quiet(int, const char*, void*) {}

}  // namespace

struct Soundfont::Impl {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  int font = -1;
};

std::unique_ptr<Soundfont> Soundfont::Open(const std::string& path, std::string& error) {
  // FluidSynth would only log a missing file; say it plainly.
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    error = path + ": cannot open the soundfont (install fluid-soundfont-gm)";
    return nullptr;
  }
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, Quiet, nullptr);
  std::unique_ptr<Soundfont> sf(new Soundfont);
  sf->impl_ = new Impl;
  Impl& m = *sf->impl_;
  m.settings = new_fluid_settings();
  // One thread, no effects, every sample in memory: the rendering is a pure
  // function of the font and the note.
  fluid_settings_setnum(m.settings, "synth.sample-rate", Rate);
  fluid_settings_setint(m.settings, "synth.cpu-cores", 1);
  fluid_settings_setint(m.settings, "synth.reverb.active", 0);
  fluid_settings_setint(m.settings, "synth.chorus.active", 0);
  fluid_settings_setint(m.settings, "synth.dynamic-sample-loading", 0);
  fluid_settings_setint(m.settings, "synth.polyphony", 64);
  fluid_settings_setnum(m.settings, "synth.gain", 0.5);
  m.synth = new_fluid_synth(m.settings);
  if (!m.synth) {
    error = "FluidSynth could not start";
    return nullptr;
  }
  fluid_synth_set_interp_method(m.synth, -1, FLUID_INTERP_7THORDER);
  m.font = fluid_synth_sfload(m.synth, path.c_str(), 0);
  if (m.font == FLUID_FAILED) {
    error = path + ": not a soundfont FluidSynth can read";
    return nullptr;
  }
  return sf;
}

Soundfont::~Soundfont() {
  if (!impl_) return;
  if (impl_->synth) delete_fluid_synth(impl_->synth);
  if (impl_->settings) delete_fluid_settings(impl_->settings);
  delete impl_;
}

void CrossfadeLoop(std::vector<float>& wave, std::size_t begin, std::size_t fade) {
  const std::size_t end = wave.size();
  fade = std::min({fade, begin, end - begin});
  // Equal power: the two ends are alike but not in phase everywhere.
  for (std::size_t i = 0; i < fade; ++i) {
    const double w = (i + 0.5) / fade * Pi / 2;
    const std::size_t at = end - fade + i;
    wave[at] = static_cast<float>(wave[at] * std::cos(w) + wave[begin - fade + i] * std::sin(w));
  }
}

void ResonantSweep(std::vector<float>& wave, double fromHz, double toHz, double seconds, double resonance) {
  // Chamberlin's filter, run twice per sample so that it stays stable up to
  // a quarter of the rate.
  const double damping = 2.0 * (1.0 - std::clamp(resonance, 0.0, 0.95));
  double low = 0, band = 0;
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double t = std::min(1.0, i / (seconds * Rate));
    const double hz = fromHz * std::pow(toHz / fromHz, t);
    const double f = 2 * std::sin(Pi * std::min(hz, Rate / 4.0) / (2 * Rate));
    for (int pass = 0; pass < 2; ++pass) {
      low += f * band;
      const double high = wave[i] - low - damping * band;
      band += f * high;
    }
    wave[i] = static_cast<float>(low);
  }
}

ItSample Soundfont::Render(const Patch& p) {
  fluid_synth_t* synth = impl_->synth;
  fluid_synth_system_reset(synth);
  const int channel = p.bank == DrumKit ? 9 : 0;
  fluid_synth_program_select(synth, channel, impl_->font, p.bank, p.program);

  const auto holdFrames = static_cast<int>(p.hold * Rate);
  const auto totalFrames = static_cast<int>(std::max(p.hold, p.length) * Rate) + Rate / 10;
  std::vector<float> left(totalFrames), right(totalFrames);
  fluid_synth_noteon(synth, channel, p.key, p.velocity);
  fluid_synth_write_float(synth, holdFrames, left.data(), 0, 1, right.data(), 0, 1);
  fluid_synth_noteoff(synth, channel, p.key);
  fluid_synth_write_float(synth, totalFrames - holdFrames, left.data(), holdFrames, 1, right.data(), holdFrames, 1);
  fluid_synth_all_sounds_off(synth, -1);

  std::vector<float> wave(totalFrames);
  float peak = 1e-9f;
  for (int i = 0; i < totalFrames; ++i) peak = std::max(peak, std::fabs(wave[i] = 0.5f * (left[i] + right[i])));
  // From the attack: a few samples before the first audible one or, for a
  // hit that has to speak on its tick, from the zero crossing before it is
  // loud (a tracker's sample starts where the sound does).
  int start = 0;
  while (start < totalFrames && std::fabs(wave[start]) < peak * p.attack) ++start;
  if (p.attack > 0.01) {
    while (start > 0 && (wave[start] > 0) == (wave[start - 1] > 0)) --start;
  } else {
    start = std::max(0, start - 8);
  }
  const int loopAt = static_cast<int>(p.loopAt * Rate);
  int end = std::min(totalFrames, start + static_cast<int>(p.length * Rate));
  bool loop = false;
  int loopBegin = 0;
  if (p.loopAt > 0) {
    // A whole number of the note's periods, so the crossfade joins like with like.
    const double period = Rate / (440.0 * std::pow(2.0, (p.key - 69) / 12.0));
    end = std::min(totalFrames, start + holdFrames - Rate / 50);
    const double cycles = std::round((end - start - loopAt) / period);
    loopBegin = end - static_cast<int>(std::lround(cycles * period));
    loop = true;
  }
  wave = std::vector<float>(wave.begin() + start, wave.begin() + end);
  if (p.sweepSeconds > 0) ResonantSweep(wave, p.sweepFrom, p.sweepTo, p.sweepSeconds, p.resonance);
  if (loop) {
    loopBegin -= start;
    CrossfadeLoop(wave, static_cast<std::size_t>(loopBegin), static_cast<std::size_t>((wave.size() - loopBegin) / 2));
  }
  if (p.reverse) std::reverse(wave.begin(), wave.end());
  if (!loop) {
    // Let the end die to zero rather than stop on a step (a reversed hit too, at its peak).
    const std::size_t fade = std::min<std::size_t>(wave.size(), p.reverse ? Rate / 200 : Rate / 100);
    for (std::size_t i = 0; i < fade; ++i) wave[wave.size() - 1 - i] *= static_cast<float>(i) / fade;
  }
  const auto fadeIn = std::min<std::size_t>(wave.size(), static_cast<std::size_t>(p.fadeIn * Rate));
  for (std::size_t i = 0; i < fadeIn; ++i) wave[i] *= static_cast<float>(i) / fadeIn;

  peak = 1e-9f;
  for (float v : wave) peak = std::max(peak, std::fabs(v));
  ItSample s;
  s.name = p.name;
  s.data.resize(wave.size());
  for (std::size_t i = 0; i < wave.size(); ++i) s.data[i] = static_cast<std::int16_t>(std::lround(wave[i] / peak * 0.9 * 32767));
  // Tonal notes play their key at the tracker's note of that number; drums play as recorded.
  s.c5speed = p.bank == DrumKit ? Rate : static_cast<std::uint32_t>(std::lround(Rate * std::pow(2.0, (60 - p.key) / 12.0)));
  s.loop = loop;
  s.loopBegin = loop ? static_cast<std::uint32_t>(loopBegin) : 0;
  s.loopEnd = loop ? static_cast<std::uint32_t>(wave.size()) : 0;
  return s;
}
