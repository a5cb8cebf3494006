#include "it_writer.h"

#include <algorithm>
#include <cstring>

namespace {

struct Bytes {
  std::vector<std::uint8_t> b;
  void u8(int v) { b.push_back(static_cast<std::uint8_t>(v)); }
  void u16(int v) { u8(v & 0xFF), u8((v >> 8) & 0xFF); }
  void u32(std::uint32_t v) { u16(static_cast<int>(v & 0xFFFF)), u16(static_cast<int>(v >> 16)); }
  void text(const std::string& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) u8(i + 1 < n && i < s.size() ? s[i] : 0);
  }
  void at32(std::size_t pos, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[pos + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void at16(std::size_t pos, int v) {
    b[pos] = static_cast<std::uint8_t>(v & 0xFF);
    b[pos + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  }
};

std::vector<std::uint8_t> PackPattern(const ItPattern& p, int channels) {
  Bytes out;
  for (int r = 0; r < p.rows; ++r) {
    for (int c = 0; c < channels && c < static_cast<int>(p.cells[r].size()); ++c) {
      const ItCell& cell = p.cells[r][c];
      if (cell.Empty()) continue;
      int mask = 0;
      if (cell.note != NoNote) mask |= 1;
      if (cell.sample > 0) mask |= 2;
      if (cell.volume >= 0) mask |= 4;
      if (cell.command) mask |= 8;
      out.u8((c + 1) | 0x80);
      out.u8(mask);
      if (mask & 1) out.u8(cell.note);
      if (mask & 2) out.u8(cell.sample);
      if (mask & 4) out.u8(std::clamp(cell.volume, 0, 64));
      if (mask & 8) out.u8(cell.command), out.u8(cell.parameter);
    }
    out.u8(0);  // end of row
  }
  return out.b;
}

void WriteEnvelope(Bytes& f, const ItEnvelope& e) {
  const int n = std::min<int>(25, static_cast<int>(e.points.size()));
  int flags = n > 0 ? 0x01 : 0;
  if (n > 0 && e.loopBegin >= 0) flags |= 0x02;
  if (n > 0 && e.sustain >= 0) flags |= 0x04;
  f.u8(flags), f.u8(n);
  f.u8(std::max(0, e.loopBegin)), f.u8(std::max(0, e.loopEnd));
  f.u8(std::max(0, e.sustain)), f.u8(std::max(0, e.sustain));
  for (int i = 0; i < 25; ++i) {
    const ItEnvelope::Point p = i < n ? e.points[i] : ItEnvelope::Point{0, 0};
    f.u8(static_cast<std::uint8_t>(static_cast<std::int8_t>(p.value)));
    f.u16(p.tick);
  }
  f.u8(0);
}

void WriteInstrument(Bytes& f, const ItInstrument& in) {
  f.text("IMPI", 5);
  f.b.pop_back();
  f.text("", 12);
  f.u8(0);
  f.u8(in.nna), f.u8(0), f.u8(0);  // no duplicate checks
  f.u16(std::clamp(in.fadeout, 0, 1024));
  f.u8(0), f.u8(60);  // no pitch-pan separation
  f.u8(std::clamp(in.globalVolume, 0, 128));
  f.u8(32 | 128);  // no default pan: the channel's panning holds
  f.u8(0), f.u8(0);  // no random volume or pan: players draw them from a seed of their own
  f.u16(0x0214), f.u8(1), f.u8(0);
  f.text(in.name, 26);
  f.u8(0), f.u8(0);  // no filter
  f.u8(0), f.u8(0), f.u16(0);  // no MIDI
  for (int n = 0; n < 120; ++n) f.u8(n), f.u8(in.sample);
  WriteEnvelope(f, in.volume);
  WriteEnvelope(f, in.panning);
  WriteEnvelope(f, in.pitch);
  f.u32(0);
}

}  // namespace

std::vector<std::uint8_t> WriteIt(const ItSong& song) {
  std::vector<int> orders = song.orders;
  orders.push_back(255);
  const int ordNum = static_cast<int>(orders.size());
  const int smpNum = static_cast<int>(song.samples.size());
  const int patNum = static_cast<int>(song.patterns.size());
  const int insNum = static_cast<int>(song.instruments.size());

  Bytes f;
  f.text("IMPM", 5);
  f.b.pop_back();  // the magic has no terminator
  f.text(song.name, 26);
  f.u8(4), f.u8(16);  // row highlights
  f.u16(ordNum), f.u16(insNum), f.u16(smpNum), f.u16(patNum);
  f.u16(0x0214), f.u16(0x0214);  // made with, compatible with
  f.u16(0x01 | 0x08 | (insNum > 0 ? 0x04 : 0));  // stereo, linear slides, instruments if any
  f.u16(0);                      // no message
  f.u8(song.globalVolume), f.u8(song.mixVolume), f.u8(song.speed), f.u8(song.tempo);
  f.u8(128), f.u8(0);            // panning separation, pitch wheel depth
  f.u16(0), f.u32(0), f.u32(0);  // message length and offset, reserved
  for (int c = 0; c < 64; ++c) {
    const int pan = c < static_cast<int>(song.panning.size()) ? song.panning[c] : 32;
    f.u8(c < song.channels ? pan : 32 | 128);  // channels past the song's are disabled
  }
  for (int c = 0; c < 64; ++c) f.u8(64);
  for (int o : orders) f.u8(o);
  const std::size_t instrumentOffsets = f.b.size();
  for (int i = 0; i < insNum; ++i) f.u32(0);
  const std::size_t sampleOffsets = f.b.size();
  for (int i = 0; i < smpNum; ++i) f.u32(0);
  const std::size_t patternOffsets = f.b.size();
  for (int i = 0; i < patNum; ++i) f.u32(0);

  for (int i = 0; i < insNum; ++i) {
    f.at32(instrumentOffsets + 4 * i, static_cast<std::uint32_t>(f.b.size()));
    WriteInstrument(f, song.instruments[i]);
  }
  std::vector<std::size_t> samplePointerAt(smpNum);
  for (int i = 0; i < smpNum; ++i) {
    const ItSample& s = song.samples[i];
    f.at32(sampleOffsets + 4 * i, static_cast<std::uint32_t>(f.b.size()));
    f.text("IMPS", 5);
    f.b.pop_back();
    f.text(s.name.substr(0, 11), 12);
    f.u8(0);
    f.u8(std::min<int>(s.globalVolume, 64));
    f.u8(0x01 | 0x02 | (s.loop ? 0x10 : 0));
    f.u8(s.volume);
    f.text(s.name, 26);
    f.u8(0x01);  // signed samples
    f.u8(32);    // default pan (not used)
    f.u32(static_cast<std::uint32_t>(s.data.size()));
    f.u32(s.loop ? s.loopBegin : 0);
    f.u32(s.loop ? s.loopEnd : 0);
    f.u32(s.c5speed);
    f.u32(0), f.u32(0);  // sustain loop
    samplePointerAt[i] = f.b.size();
    f.u32(0);
    f.u8(s.vibratoSpeed), f.u8(s.vibratoDepth), f.u8(s.vibratoRate), f.u8(0);
  }
  for (int i = 0; i < patNum; ++i) {
    const ItPattern& p = song.patterns[i];
    f.at32(patternOffsets + 4 * i, static_cast<std::uint32_t>(f.b.size()));
    const std::vector<std::uint8_t> packed = PackPattern(p, song.channels);
    f.u16(static_cast<int>(packed.size()));
    f.u16(p.rows);
    f.u32(0);
    f.b.insert(f.b.end(), packed.begin(), packed.end());
  }
  for (int i = 0; i < smpNum; ++i) {
    f.at32(samplePointerAt[i], static_cast<std::uint32_t>(f.b.size()));
    for (std::int16_t v : song.samples[i].data) f.u16(static_cast<std::uint16_t>(v));
  }
  return f.b;
}
