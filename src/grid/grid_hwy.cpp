// MapGrid on Highway: the eight pixels of a block row at once. Stepping u by du
// eight times is uL + (t + 1) du with 32-bit wrap-around, so the row's texel
// indices are one multiply-add away, and the texels one gather.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "grid/grid_hwy.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "grid/grid.h"

HWY_BEFORE_NAMESPACE();
namespace zintavel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
void MapGridBlocks(const Pixel* texture, Picture& destination) { MapGridReference(texture, destination); }
#else
void MapGridBlocks(const Pixel* texture, Picture& destination) {
  const hn::CappedTag<std::int32_t, 8> d;
  const auto N = static_cast<std::int32_t>(hn::Lanes(d));
  const auto* texels = reinterpret_cast<const std::int32_t*>(texture);
  const auto steps = hn::Iota(d, 1);
  const auto rowMask = hn::Set(d, 0xFF00), columnMask = hn::Set(d, 0xFF);
  const std::int16_t* gu = PlasmaGrid.u;
  const std::int16_t* gv = PlasmaGrid.v;
  for (std::int32_t i = 0; i < ScreenHeight / 8; ++i) {
    for (std::int32_t j = 0; j < ScreenWidth / 8; ++j) {
      const std::int32_t top = GridIndex(i, j), bottom = GridIndex(i + 1, j);
      const std::int32_t U00 = gu[top], U01 = gu[top + 1], U10 = gu[bottom], U11 = gu[bottom + 1];
      const std::int32_t V00 = gv[top], V01 = gv[top + 1], V10 = gv[bottom], V11 = gv[bottom + 1];
      std::int32_t uL = U00 * 256, uR = U01 * 256, vL = V00 * 256, vR = V01 * 256;
      const std::int32_t duL = (U10 - U00) * 32, duR = (U11 - U01) * 32;
      const std::int32_t dvL = (V10 - V00) * 32, dvR = (V11 - V01) * 32;
      auto* row = reinterpret_cast<std::int32_t*>(destination.pixels + (8 * i) * ScreenWidth + 8 * j);
      for (std::int32_t s = 0; s < 8; ++s, row += ScreenWidth) {
        uL += duL, uR += duR, vL += dvL, vR += dvR;
        const std::int32_t du = (uR - uL) >> 3, dv = (vR - vL) >> 3;
        for (std::int32_t t = 0; t < 8; t += N) {
          const auto u = hn::Add(hn::Set(d, uL), hn::Mul(hn::Add(steps, hn::Set(d, t)), hn::Set(d, du)));
          const auto v = hn::Add(hn::Set(d, vL), hn::Mul(hn::Add(steps, hn::Set(d, t)), hn::Set(d, dv)));
          const auto index = hn::Or(hn::And(v, rowMask), hn::And(hn::ShiftRight<8>(u), columnMask));
          hn::StoreU(hn::GatherIndex(d, texels, index), d, row + t);
        }
      }
    }
  }
}
#endif

}  // namespace HWY_NAMESPACE
}  // namespace zintavel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zintavel {
HWY_EXPORT(MapGridBlocks);
}  // namespace zintavel
// Called unqualified: where one target is compiled (WebAssembly) Highway calls
// it directly as N_WASM::name, which resolves only through our namespace.
using namespace zintavel;

void MapGridFast(const Pixel* texture, Picture& destination) {
  HWY_DYNAMIC_DISPATCH(MapGridBlocks)(texture, destination);
}
#endif
