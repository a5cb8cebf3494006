// The texts (ticker.txt, pages1.txt, pages2.txt) in the 8-bit Latin-1 the
// fonts are indexed by. Editors write UTF-8 today: a text that is valid UTF-8
// and holds a character beyond ASCII is decoded to Latin-1 first (a leading
// byte-order mark dropped); anything else, Latin-1 files among them, is read
// byte for byte as before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Stands for a character Latin-1 does not have: no font holds a glyph for it,
// so it shows as a gap, as any other character without a glyph does.
inline constexpr std::uint8_t OutsideLatin1 = 0x7F;

struct Latin1Text {
  std::vector<std::uint8_t> bytes;
  bool fromUtf8 = false;
  struct Outside {
    std::int32_t line;       // 1-based line of the file
    std::uint32_t codePoint;
  };
  std::vector<Outside> outside;  // the characters that became OutsideLatin1, in order
};

Latin1Text AsLatin1(const std::uint8_t* text, std::size_t size);
