// Every vector kernel table against the reference, on random pixels: all byte
// values in every lane, every weight, counts 1..67 for the loop tails, unaligned
// starts, and whole frames.
#include "pixel/span_kernels.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

std::vector<const SpanKernels*> FastTables() { return VectorSpanKernels(); }

template <typename Run>
void Compare(const char* what, Run run) {
  const SpanKernels& ref = ReferenceSpanKernels();
  std::mt19937 rng(1234);
  for (const SpanKernels* fast : FastTables()) {
    for (std::uint32_t weight = 0; weight < 256; ++weight) {
      const bool wholeFrame = weight == 0 || weight == 1 || weight == 127 || weight == 128 || weight == 255;
      for (int pass = 0; pass < (wholeFrame ? 9 : 8); ++pass) {
        const std::int32_t count = pass == 8 ? PicturePixels : 1 + static_cast<std::int32_t>(rng() % 67);
        const std::int32_t offset = static_cast<std::int32_t>(rng() % 8);
        auto src = RandomPixels(count + offset, rng), dst = RandomPixels(count + offset, rng);
        auto a = dst, b = dst;
        run(ref, src.data() + offset, a.data() + offset, count, weight);
        run(*fast, src.data() + offset, b.data() + offset, count, weight);
        ASSERT_EQ(a, b) << what << " " << fast->name << " weight " << weight << " count " << count;
      }
    }
  }
}

}  // namespace

TEST(SpanKernelsTest, VectorTablesExistAndAreFoundByName) {
  const auto tables = VectorSpanKernels();
  // WebAssembly, or a processor older than the oldest vector target the build knows.
  if (tables.empty()) GTEST_SKIP() << "no vector table on this processor";
  for (const SpanKernels* k : tables) {
    EXPECT_EQ(FindSpanKernels(k->name), k);
    std::string lower = k->name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(FindSpanKernels(lower.c_str()), k);
  }
  EXPECT_EQ(FindSpanKernels("Reference"), &ReferenceSpanKernels());
  EXPECT_EQ(FindSpanKernels("mmx"), nullptr);
  // Without an override the best vector table is in use.
  if (!std::getenv("ZINTAVEL_KERNELS")) {
    EXPECT_EQ(&ActiveSpanKernels(), tables.front());
  }
}

TEST(SpanKernelsTest, FastMatchesReferenceEverywhere) {
  Compare("addSpan", [](const SpanKernels& k, const Pixel* s, Pixel* d, std::int32_t n, std::uint32_t) {
    k.addSpan(s, d, n);
  });
  Compare("addSpanScaled", [](const SpanKernels& k, const Pixel* s, Pixel* d, std::int32_t n, std::uint32_t w) {
    k.addSpanScaled(s, d, n, w);
  });
  Compare("scaleSpan", [](const SpanKernels& k, const Pixel* s, Pixel* d, std::int32_t n, std::uint32_t w) {
    k.scaleSpan(s, d, n, w);
  });
  Compare("fadeSpanToWhite", [](const SpanKernels& k, const Pixel* s, Pixel* d, std::int32_t n,
                                std::uint32_t w) { k.fadeSpanToWhite(s, d, n, w); });
  Compare("multiplySpan", [](const SpanKernels& k, const Pixel* s, Pixel* d, std::int32_t n, std::uint32_t) {
    k.multiplySpan(s, d, n);
  });
  Compare("blendNegative", [](const SpanKernels& k, const Pixel*, Pixel* d, std::int32_t n, std::uint32_t w) {
    k.blendNegative(d, n, w);
  });
}

TEST(SpanKernelsTest, ReferenceIsTheFormulaOnEveryByteValue) {
  // Exhaustive over one lane's 256 x 256 (value, weight) pairs, placed in every lane.
  const SpanKernels& ref = ReferenceSpanKernels();
  for (std::uint32_t k = 0; k < 256; ++k) {
    for (std::uint32_t v = 0; v < 256; ++v) {
      const Pixel src = v * 0x01010101u;
      Pixel scaled;
      ref.scaleSpan(&src, &scaled, 1, k);
      ASSERT_EQ(scaled, ((v * k) >> 8) * 0x01010101u);
      Pixel faded;
      ref.fadeSpanToWhite(&src, &faded, 1, k);
      const std::uint32_t f = std::min(255u, ((255u * k) >> 8) + ((v * (255u - k)) >> 8));
      ASSERT_EQ(faded, f * 0x01010101u);
      Pixel product = k * 0x01010101u;
      ref.multiplySpan(&src, &product, 1);
      ASSERT_EQ(product, ((v * k) >> 8) * 0x01010101u);
      Pixel neg = v * 0x00010101u;
      ref.blendNegative(&neg, 1, k);
      ASSERT_EQ(neg, ((v * (255u - k) + (255u - v) * k) >> 8) * 0x00010101u);
    }
  }
}
