#include "assets/module_check.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::int64_t HeaderBytes = 0xC0;
constexpr std::int64_t InstrumentBytes = 554;  // both the old and the new layout
constexpr std::int64_t SampleHeaderBytes = 0x50;
constexpr std::int64_t PatternHeaderBytes = 8;

struct Reader {
  const std::uint8_t* bytes;
  std::int64_t size;
  bool Has(std::int64_t at, std::int64_t count) const { return at >= 0 && count >= 0 && at + count <= size; }
  std::uint32_t U8(std::int64_t at) const { return Has(at, 1) ? bytes[at] : 0; }
  std::uint32_t U16(std::int64_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::int64_t at) const { return U16(at) | U16(at + 2) << 16; }
};

}  // namespace

ModuleOffsets CheckModuleOffsets(const std::uint8_t* bytes, std::size_t size) {
  ModuleOffsets m;
  const Reader r{bytes, static_cast<std::int64_t>(size)};
  m.size = r.size;
  if (!r.Has(0, 4) || std::memcmp(bytes, "IMPM", 4) != 0) return m;
  m.isIt = true;
  m.needed = HeaderBytes;
  const std::int64_t orders = r.U16(0x20);
  m.instruments = static_cast<std::int32_t>(r.U16(0x22));
  m.samples = static_cast<std::int32_t>(r.U16(0x24));
  m.patterns = static_cast<std::int32_t>(r.U16(0x26));
  const std::int64_t tables = HeaderBytes + orders;
  const std::int64_t sampleTable = tables + 4 * std::int64_t{m.instruments};
  const std::int64_t patternTable = sampleTable + 4 * std::int64_t{m.samples};
  const std::int64_t tablesEnd = patternTable + 4 * std::int64_t{m.patterns};
  m.needed = tablesEnd;
  m.headerCut = !r.Has(0, tablesEnd);

  auto reach = [&](std::int64_t at, std::int64_t count) {
    m.needed = std::max(m.needed, at + count);
    return r.Has(at, count);
  };
  // An offset table that the file does not hold reads as zeros here; those
  // entries count as past the end, the table being cut.
  auto entry = [&](std::int64_t table, std::int32_t i, bool& inTable) {
    inTable = r.Has(table + 4 * std::int64_t{i}, 4);
    return static_cast<std::int64_t>(r.U32(table + 4 * std::int64_t{i}));
  };

  for (std::int32_t i = 0; i < m.instruments; ++i) {
    bool inTable = false;
    const std::int64_t at = entry(tables, i, inTable);
    if (!inTable || !reach(at, InstrumentBytes)) ++m.instrumentsPast;
  }
  for (std::int32_t i = 0; i < m.samples; ++i) {
    bool inTable = false;
    const std::int64_t at = entry(sampleTable, i, inTable);
    if (!inTable || !reach(at, SampleHeaderBytes)) {
      ++m.samplesPast;
      continue;
    }
    const std::uint32_t flags = r.U8(at + 0x12);
    if ((flags & 0x01) == 0) continue;  // a header without data
    const std::int64_t length = r.U32(at + 0x30);
    const std::int64_t pointer = r.U32(at + 0x48);
    std::int64_t dataBytes = length * ((flags & 0x02) ? 2 : 1) * ((flags & 0x04) ? 2 : 1);
    if (flags & 0x08) dataBytes = length > 0 ? 1 : 0;  // compressed: its start at least
    if (!reach(pointer, dataBytes)) ++m.samplesPast;
  }
  for (std::int32_t i = 0; i < m.patterns; ++i) {
    bool inTable = false;
    const std::int64_t at = entry(patternTable, i, inTable);
    if (!inTable) {
      ++m.patternsPast;
      continue;
    }
    if (at == 0) continue;  // an empty pattern
    if (!reach(at, PatternHeaderBytes) || !reach(at + PatternHeaderBytes, r.U16(at))) ++m.patternsPast;
  }
  // The song message, when the header says there is one.
  if (r.U16(0x2E) & 0x01) reach(r.U32(0x38), r.U16(0x36));
  return m;
}
