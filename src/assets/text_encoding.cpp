#include "assets/text_encoding.h"

namespace {

// The length of the well-formed UTF-8 sequence at p (no overlong forms, no
// surrogates, nothing past U+10FFFF) and its code point; 0 when it is not one.
int Sequence(const std::uint8_t* p, const std::uint8_t* end, std::uint32_t& cp) {
  const std::uint8_t a = p[0];
  if (a < 0x80) return cp = a, 1;
  int n;
  std::uint32_t low;
  if (a >= 0xC2 && a <= 0xDF) n = 2, cp = a & 0x1F, low = 0x80;
  else if (a >= 0xE0 && a <= 0xEF) n = 3, cp = a & 0x0F, low = 0x800;
  else if (a >= 0xF0 && a <= 0xF4) n = 4, cp = a & 0x07, low = 0x10000;
  else return 0;
  if (end - p < n) return 0;
  for (int i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (p[i] & 0x3F);
  }
  if (cp < low || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

Latin1Text AsLatin1(const std::uint8_t* text, std::size_t size) {
  Latin1Text out;
  const std::uint8_t* p = text;
  const std::uint8_t* end = text + size;
  const bool bom = size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF;
  if (bom) p += 3;
  bool wide = false;
  for (const std::uint8_t* q = p; q < end;) {
    std::uint32_t cp;
    const int n = Sequence(q, end, cp);
    if (n == 0) {  // not UTF-8: the bytes as they are
      out.bytes.assign(text, end);
      return out;
    }
    wide = wide || n > 1;
    q += n;
  }
  if (!wide && !bom) {
    out.bytes.assign(text, end);
    return out;
  }
  out.fromUtf8 = true;
  std::int32_t line = 1;
  while (p < end) {
    std::uint32_t cp = 0;  // every sequence was checked above; GCC cannot see that it sets cp
    p += Sequence(p, end, cp);
    if (cp == '\n') ++line;
    if (cp > 0xFF) {
      out.outside.push_back({line, cp});
      cp = OutsideLatin1;
    }
    out.bytes.push_back(static_cast<std::uint8_t>(cp));
  }
  return out;
}
