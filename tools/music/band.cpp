#include "band.h"

#include "soundfont.h"

namespace {

// The kits of the font: the standard one, the "room" kit (its snare is dry
// and short), the "power" kit (fat toms) and the electronic one (a kick that
// speaks at once and dies clean).
constexpr int Standard = 0, Room = 8, Power = 16, Electronic = 24;

ItEnvelope Volume(std::vector<ItEnvelope::Point> points, int sustain = -1) {
  ItEnvelope e;
  e.points = std::move(points);
  e.sustain = sustain;
  return e;
}

}  // namespace

std::optional<Band> MakeBand(const std::string& path, std::string& error) {
  std::unique_ptr<Soundfont> font = Soundfont::Open(path, error);
  if (!font) return std::nullopt;
  // Each voice: the note rendered, then how the tracker plays it. Tonal
  // voices are rendered near the middle of the range they play, so no note
  // is resampled far; sustained ones hold long enough for a calm loop.
  struct Voicing {
    Patch patch;
    int globalVolume;  // the voice's level in the mix, 0..64
  };
  const Voicing voicings[] = {
      {{"kick", DrumKit, Electronic, 36, 120, 0.3, 0.45, 0, false, 0, 0.3}, 64},
      {{"snare", DrumKit, Room, 38, 115, 0.2, 0.42, 0, false, 0, 0.3}, 60},
      {{"closed hat", DrumKit, Standard, 42, 105, 0.1, 0.18}, 56},
      {{"crash", DrumKit, Standard, 49, 115, 0.5, 2.4}, 50},
      {{"orchestra hit", 0, 55, 57, 120, 0.4, 1.1, 0, false, 0, 0.6}, 52},
      {{"synth bass", 0, 38, 45, 110, 1.4, 1.4, 0.45, false, 0, 1e-3, 3200, 700, 0.22, 0.6}, 50},
      {{"strings", 0, 48, 60, 100, 3.2, 3.2, 1.4}, 38},
      {{"e.piano", 0, 5, 72, 105, 0.8, 1.2}, 50},
      {{"brass stab", 0, 61, 67, 120, 0.35, 0.7, 0, false, 0, 0.5}, 50},
      {{"swell", DrumKit, Standard, 57, 120, 0.5, RiserSeconds, 0, true, 0.3}, 48},
      {{"shaker", DrumKit, Standard, 82, 100, 0.1, 0.2}, 52},
      {{"open hat", DrumKit, Standard, 46, 105, 0.5, 0.75}, 46},
      {{"saw lead", 0, 81, 74, 110, 2.0, 2.0, 0.7}, 44},
      {{"tom", DrumKit, Power, 45, 115, 0.3, 0.7, 0, false, 0, 0.3}, 58},
      {{"overdrive", 0, 29, 71, 115, 2.4, 2.4, 0.9}, 42},
      {{"timpani", 0, 47, 45, 127, 0.6, 2.0, 0, false, 0, 0.3}, 64},
      {{"clap", DrumKit, Standard, 39, 110, 0.2, 0.4, 0, false, 0, 0.3}, 48},
      {{"choir", 0, 52, 64, 100, 3.2, 3.2, 1.4}, 36},
      {{"reverse cymbal", DrumKit, Standard, 49, 110, 0.4, ReverseSeconds, 0, true, 0.1}, 44},
  };
  static_assert(std::size(voicings) == VoiceCount);
  Band band;
  for (const Voicing& v : voicings) {
    ItSample s = font->Render(v.patch);
    s.globalVolume = static_cast<std::uint8_t>(v.globalVolume);
    band.samples.push_back(std::move(s));
    ItInstrument in;
    in.name = v.patch.name;
    in.sample = static_cast<int>(band.samples.size());
    band.instruments.push_back(std::move(in));
  }
  auto instrument = [&](Voice v) -> ItInstrument& { return band.instruments[v - 1]; };
  auto sample = [&](Voice v) -> ItSample& { return band.samples[v - 1]; };

  // Cymbals and hits ring on under the next one; a note off lets them fade.
  for (Voice v : {CrashS, HitS, ImpactS, OpenHatS, StabS, PluckS}) {
    instrument(v).nna = NnaFade;
    instrument(v).fadeout = 64;
  }
  // The bass (its resonant low pass, closing after each attack, is baked into
  // the sample: the player's own filters compute their coefficients in
  // floating point, which need not agree to the last bit between the builds
  // that must mix the module alike): a short release after note off.
  ItInstrument& bass = instrument(BassS);
  bass.volume = Volume({{0, 64}, {2, 64}, {6, 40}}, 1);
  bass.fadeout = 256;
  // Strings and choir swell in and fall away; a new chord overlaps the old one's release.
  for (Voice v : {PadS, ChoirS}) {
    ItInstrument& pad = instrument(v);
    pad.nna = NnaOff;
    pad.volume = Volume({{0, 20}, {10, 52}, {24, 64}, {70, 0}}, 2);
    pad.fadeout = 24;
  }
  // The leads: a soft attack, a release, and vibrato that comes in as a note is held.
  for (Voice v : {LeadS, GuitarS}) {
    ItInstrument& lead = instrument(v);
    lead.nna = NnaOff;
    lead.volume = Volume({{0, 48}, {3, 64}, {8, 64}, {30, 0}}, 2);
    lead.fadeout = 48;
    sample(v).vibratoSpeed = 12, sample(v).vibratoDepth = 10, sample(v).vibratoRate = 6;
  }
  // The swells move across the stereo field as they grow.
  instrument(ReverseS).panning.points = {{0, -20}, {75, 20}};
  instrument(RiserS).panning.points = {{0, -14}, {100, 14}, {200, -6}};
  return band;
}
