// Texts read from UTF-8 or Latin-1: the same letters either way, Latin-1 and
// ASCII files byte for byte as before, characters beyond Latin-1 named.
#include "assets/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Latin1Text Of(const std::string& s) { return AsLatin1(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }
std::string Bytes(const Latin1Text& t) { return std::string(t.bytes.begin(), t.bytes.end()); }

}  // namespace

TEST(TextEncodingTest, Utf8IsDecodedAndEverythingElseKept) {
  EXPECT_EQ(Bytes(Of("plain ascii\r\n")), "plain ascii\r\n");
  EXPECT_FALSE(Of("plain ascii").fromUtf8);
  EXPECT_EQ(Bytes(Of("k\xE4rlek p\xE5 \xD6land")), "k\xE4rlek p\xE5 \xD6land");  // Latin-1 stays
  const Latin1Text swedish = Of("k\xC3\xA4rlek p\xC3\xA5 \xC3\x96land");
  EXPECT_TRUE(swedish.fromUtf8);
  EXPECT_EQ(Bytes(swedish), "k\xE4rlek p\xE5 \xD6land");
  EXPECT_EQ(Bytes(Of("\xEF\xBB\xBFhello")), "hello");  // a byte-order mark goes
  EXPECT_EQ(Bytes(Of("\xC2\xA0\xC3\xBF")), "\xA0\xFF");  // the ends of Latin-1

  // Beyond Latin-1: a gap, named with its line.
  const Latin1Text quote = Of("one\ntwo \xE2\x80\x99 \xF0\x9F\x98\x80\n");
  EXPECT_EQ(Bytes(quote), "one\ntwo \x7F \x7F\n");
  ASSERT_EQ(quote.outside.size(), 2u);
  EXPECT_EQ(quote.outside[0].line, 2);
  EXPECT_EQ(quote.outside[0].codePoint, 0x2019u);
  EXPECT_EQ(quote.outside[1].codePoint, 0x1F600u);

  // Not well-formed: overlong, surrogate, cut short, a stray continuation,
  // beyond U+10FFFF. The whole text is then read as Latin-1.
  for (const std::string bad : {"\xC0\x80x \xC3\xA4", "\xED\xA0\x80 \xC3\xA4", "\xC3\xA4 \xE2\x80",
                                "\x80 \xC3\xA4", "\xF4\x90\x80\x80 \xC3\xA4"}) {
    const Latin1Text t = Of(bad);
    EXPECT_FALSE(t.fromUtf8) << bad;
    EXPECT_EQ(Bytes(t), bad);
  }
  EXPECT_TRUE(Of("").bytes.empty());
}
