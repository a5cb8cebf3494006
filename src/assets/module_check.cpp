#include "assets/module_check.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t HeaderBytes = 0xC0;
constexpr std::size_t SampleHeaderBytes = 0x50;

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }

// 812416 as "812,416": sizes a user compares with ls -l.
std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// index < 0: the part has no number.
bool Missing(std::string& problem, const char* what, std::int64_t index, std::uint64_t end, std::size_t size) {
  char text[160];
  if (index >= 0)
    std::snprintf(text, sizeof text, "%s %lld", what, static_cast<long long>(index));
  else
    std::snprintf(text, sizeof text, "%s", what);
  problem = std::string("cut short or damaged: ") + text + " runs to byte " + Grouped(end) +
            " but the file ends at " + Grouped(size);
  return false;
}

}  // namespace

bool CheckModuleOffsets(const std::uint8_t* data, std::size_t size, std::string& problem) {
  if (size < 4 || std::memcmp(data, "IMPM", 4) != 0) return true;
  if (size < HeaderBytes) return Missing(problem, "the header", -1, HeaderBytes, size);
  const std::uint32_t orders = Le16(data + 0x20), instruments = Le16(data + 0x22);
  const std::uint32_t samples = Le16(data + 0x24), patterns = Le16(data + 0x26);
  const std::uint64_t tables = HeaderBytes + orders + 4ull * (instruments + samples + patterns);
  if (tables > size) return Missing(problem, "the order list and offset tables", -1, tables, size);

  const std::uint8_t* offsets = data + HeaderBytes + orders;
  if ((Le16(data + 0x2E) & 1) != 0) {  // a song message
    const std::uint64_t end = std::uint64_t{Le32(data + 0x38)} + Le16(data + 0x36);
    if (end > size) return Missing(problem, "the song message", -1, end, size);
  }
  for (std::uint32_t i = 0; i < instruments; ++i) {
    const std::uint64_t end = std::uint64_t{Le32(offsets + 4 * i)} + 4;  // at least its "IMPI"
    if (end > size) return Missing(problem, "instrument", std::int64_t{i} + 1, end, size);
  }
  offsets += 4 * instruments;
  for (std::uint32_t i = 0; i < samples; ++i) {
    const std::uint64_t at = Le32(offsets + 4 * i);
    if (at + SampleHeaderBytes > size) return Missing(problem, "sample header", std::int64_t{i} + 1, at + SampleHeaderBytes, size);
    const std::uint8_t* s = data + at;
    const std::uint32_t flags = s[0x12];
    const std::uint64_t length = Le32(s + 0x30), pointer = Le32(s + 0x48);
    if ((flags & 1) == 0 || length == 0) continue;
    // Compressed sample data has no size to check up front; its start must be there.
    const std::uint64_t bytes = (flags & 8) != 0 ? 1 : length * ((flags & 2) ? 2 : 1) * ((flags & 4) ? 2 : 1);
    if (pointer + bytes > size) return Missing(problem, "sample", std::int64_t{i} + 1, pointer + bytes, size);
  }
  offsets += 4 * samples;
  for (std::uint32_t i = 0; i < patterns; ++i) {
    const std::uint64_t at = Le32(offsets + 4 * i);
    if (at == 0) continue;  // an empty pattern
    if (at + 8 > size) return Missing(problem, "pattern", std::int64_t{i}, at + 8, size);
    const std::uint64_t end = at + 8 + Le16(data + at);
    if (end > size) return Missing(problem, "pattern", std::int64_t{i}, end, size);
  }
  return true;
}
