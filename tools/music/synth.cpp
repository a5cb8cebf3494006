#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double Rate = 44100.0;
constexpr double Pi = 3.14159265358979323846;
constexpr int Period = 168;                  // samples of one cycle at the base pitch
constexpr double BaseRate = 261.6255653 * Period;  // c5speed that makes the cycle C-4

struct Noise {
  std::uint32_t s;
  explicit Noise(std::uint32_t seed) : s(seed) {}
  double Next() {
    s = s * 1664525u + 1013904223u;
    return (static_cast<double>(s >> 8) / 8388608.0) - 1.0;
  }
};

ItSample Finish(const char* name, std::vector<double> wave, std::uint32_t c5speed, double peak = 0.9) {
  double m = 1e-9;
  for (double v : wave) m = std::max(m, std::fabs(v));
  ItSample s;
  s.name = name;
  s.c5speed = c5speed;
  s.data.resize(wave.size());
  for (std::size_t i = 0; i < wave.size(); ++i) {
    s.data[i] = static_cast<std::int16_t>(std::lround(wave[i] / m * peak * 32767));
  }
  return s;
}

// Harmonics 1..n of a cycle of `period` samples with amplitudes a(k).
template <typename Amp>
double Additive(double phase, int n, Amp a) {
  double v = 0;
  for (int k = 1; k <= n; ++k) v += a(k) * std::sin(2 * Pi * k * phase);
  return v;
}

// A short feedback echo: a little room for the drums.
void Room(std::vector<double>& w, double amount) {
  const int taps[] = {1307, 1871, 2459};
  std::vector<double> out = w;
  for (std::size_t i = 0; i < w.size(); ++i) {
    for (int t : taps) {
      if (i >= static_cast<std::size_t>(t)) out[i] += amount * out[i - t] * 0.5;
    }
  }
  w = out;
}

}  // namespace

ItSample Kick() {
  const int n = static_cast<int>(0.45 * Rate);
  std::vector<double> w(n);
  double phase = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double f = 45 + 110 * std::exp(-t * 28);
    phase += f / Rate;
    const double body = std::sin(2 * Pi * phase) * std::exp(-t * 7.5);
    const double click = std::exp(-t * 400) * 1.0;
    w[i] = std::tanh(1.6 * (body + click));
  }
  return Finish("kick", w, 44100);
}

ItSample Snare() {
  const int n = static_cast<int>(0.3 * Rate);
  std::vector<double> w(n);
  Noise r(7);
  double lp = 0, hp = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double x = r.Next();
    lp += 0.45 * (x - lp);
    hp = x - lp;
    const double tone = std::sin(2 * Pi * 185 * t) * std::exp(-t * 30) * 0.7;
    w[i] = (hp * 0.9 + lp * 0.3) * std::exp(-t * 16) + tone;
  }
  Room(w, 0.25);
  return Finish("snare", w, 44100);
}

ItSample HiHat() {
  const int n = static_cast<int>(0.09 * Rate);
  std::vector<double> w(n);
  Noise r(11);
  double prev = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double x = r.Next();
    w[i] = (x - prev) * std::exp(-t * 60);  // first difference: bright
    prev = x;
  }
  return Finish("hihat", w, 44100, 0.6);
}

ItSample Crash() {
  const int n = static_cast<int>(1.6 * Rate);
  std::vector<double> w(n);
  Noise r(13);
  double prev = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double x = r.Next();
    const double metal = std::sin(2 * Pi * 3150 * t) * 0.2 + std::sin(2 * Pi * 4710 * t) * 0.15;
    w[i] = ((x - prev) * 0.8 + metal) * std::exp(-t * 2.6) * std::min(1.0, t * 2000);
    prev = x;
  }
  return Finish("crash", w, 44100, 0.7);
}

ItSample Hit() {
  const int n = static_cast<int>(0.16 * Rate);
  std::vector<double> w(n);
  Noise r(17);
  double phase = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    phase += (80 + 200 * std::exp(-t * 40)) / Rate;
    w[i] = r.Next() * std::exp(-t * 45) * 0.8 + std::sin(2 * Pi * phase) * std::exp(-t * 22);
  }
  return Finish("hit", w, 44100);
}

ItSample Bass() {
  // 100 cycles, looped whole: a seamless loop.
  const int n = Period * 100;
  std::vector<double> w(n);
  for (int i = 0; i < n; ++i) {
    const double p = static_cast<double>(i) / Period;
    w[i] = Additive(p, 14, [](int k) { return 1.0 / k * std::exp(-k * 0.12); });
  }
  ItSample s = Finish("bass", w, static_cast<std::uint32_t>(BaseRate), 0.8);
  s.loop = true;
  s.loopBegin = 0;
  s.loopEnd = static_cast<std::uint32_t>(n);
  return s;
}

ItSample Pad() {
  // Two saws 200 and 201 cycles over the loop: detuned by 8.6 cents, and
  // still exactly periodic over the loop. A slow attack is left to the notes.
  const int n = Period * 200;
  std::vector<double> w(n);
  for (int i = 0; i < n; ++i) {
    const double p1 = static_cast<double>(i) / Period, p2 = static_cast<double>(i) * 201 / (200.0 * Period);
    auto amp = [](int k) { return 1.0 / (k * k * 0.4 + k); };
    w[i] = Additive(p1, 10, amp) + Additive(p2, 10, amp) + 0.5 * std::sin(2 * Pi * p1 * 0.5 * 2);
  }
  ItSample s = Finish("pad", w, static_cast<std::uint32_t>(BaseRate), 0.5);
  s.loop = true;
  s.loopEnd = static_cast<std::uint32_t>(n);
  return s;
}

ItSample Pluck() {
  const int n = static_cast<int>(0.7 * Rate);
  std::vector<double> w(n);
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double p = static_cast<double>(i) / Period;
    const double bright = std::exp(-t * 6);
    w[i] = Additive(p, 15, [&](int k) { return (k % 2 ? 1.0 / k : 0.15 / k) * std::pow(bright, 0.3 * k); }) *
           std::exp(-t * 4.5);
  }
  return Finish("pluck", w, static_cast<std::uint32_t>(BaseRate), 0.7);
}

ItSample Stab() {
  const int n = static_cast<int>(0.5 * Rate);
  std::vector<double> w(n);
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double p = static_cast<double>(i) / Period;
    auto saw = [](double ph) { return Additive(ph, 18, [](int k) { return 1.0 / k; }); };
    w[i] = (saw(p) + 0.7 * saw(p * 1.4983) + 0.5 * saw(p * 2)) * std::exp(-t * 9) * std::min(1.0, t * 800);
  }
  Room(w, 0.3);
  return Finish("stab", w, static_cast<std::uint32_t>(BaseRate), 0.7);
}

ItSample Riser() {
  const int n = static_cast<int>(4.0 * Rate);
  std::vector<double> w(n);
  Noise r(23);
  double lp = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double cut = 0.02 + 0.5 * (t / 4.0) * (t / 4.0);
    lp += cut * (r.Next() - lp);
    w[i] = lp * (t / 4.0) * (t / 4.0);
  }
  return Finish("riser", w, 44100, 0.6);
}

ItSample Shaker() {
  // Noise differenced twice: its energy sits in the top octave (8 to 20 kHz),
  // the air a PA needs; a soft 2 ms attack keeps it from clicking.
  const int n = static_cast<int>(0.07 * Rate);
  std::vector<double> w(n);
  Noise r(29);
  double p1 = 0, p2 = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double x = r.Next();
    w[i] = (x - 2 * p1 + p2) * std::exp(-t * 55) * std::min(1.0, t * 500);
    p2 = p1, p1 = x;
  }
  return Finish("shaker", w, 44100, 0.6);
}

ItSample OpenHat() {
  // A longer, ringing hat: bright noise over a cluster of high metallic partials.
  const int n = static_cast<int>(0.35 * Rate);
  std::vector<double> w(n);
  Noise r(37);
  double prev = 0;
  for (int i = 0; i < n; ++i) {
    const double t = i / Rate;
    const double x = r.Next();
    double metal = 0;
    for (double f : {7040.0, 8372.0, 9956.0, 11840.0}) metal += std::sin(2 * Pi * f * t) * 0.12;
    w[i] = ((x - prev) * 0.8 + metal) * std::exp(-t * 11) * std::min(1.0, t * 1000);
    prev = x;
  }
  return Finish("openhat", w, 44100, 0.6);
}

ItSample SynthLead() {
  // A bright sustained lead: a saw and a square a few cents apart (199 and 200
  // cycles over the loop, so the loop is seamless), harmonics up to the 24th.
  const int n = Period * 200;
  std::vector<double> w(n);
  for (int i = 0; i < n; ++i) {
    const double p1 = static_cast<double>(i) / Period, p2 = static_cast<double>(i) * 199 / (200.0 * Period);
    w[i] = Additive(p1, 24, [](int k) { return 1.0 / k; }) +
           0.8 * Additive(p2, 24, [](int k) { return k % 2 ? 1.0 / k : 0.0; });
  }
  ItSample s = Finish("lead", w, static_cast<std::uint32_t>(BaseRate), 0.55);
  s.loop = true;
  s.loopEnd = static_cast<std::uint32_t>(n);
  return s;
}
