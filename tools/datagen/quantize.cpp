#include "quantize.h"

#include <libimagequant.h>

#include <cstdio>
#include <memory>

namespace {

struct LiqDelete {
  void operator()(liq_attr* a) const { liq_attr_destroy(a); }
  void operator()(liq_image* i) const { liq_image_destroy(i); }
  void operator()(liq_result* r) const { liq_result_destroy(r); }
};
template <class T>
using LiqHandle = std::unique_ptr<T, LiqDelete>;

}  // namespace

Indexed Quantize(const Canvas& canvas, int colours, int transparentIndex) {
  const std::vector<std::uint32_t> pixels = canvas.Pixels();
  const bool keyed = transparentIndex >= 0;
  // RGBA for the quantiser: coverage below one half is the transparent key,
  // everything else fully opaque, so no colour is spent on half-covered edges.
  std::vector<std::uint8_t> rgba(pixels.size() * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const bool clear = keyed && canvas.alpha[i] < 0.5f;
    rgba[4 * i + 0] = clear ? 0 : static_cast<std::uint8_t>(pixels[i] >> 16);
    rgba[4 * i + 1] = clear ? 0 : static_cast<std::uint8_t>(pixels[i] >> 8);
    rgba[4 * i + 2] = clear ? 0 : static_cast<std::uint8_t>(pixels[i]);
    rgba[4 * i + 3] = clear ? 0 : 255;
  }

  Indexed out;
  out.indices.assign(pixels.size(), 0);
  out.palette.assign(768, 0);
  LiqHandle<liq_attr> attr(liq_attr_create());
  // One more entry than asked for when a key is needed: the quantiser gives the
  // transparent pixels an entry of their own, which becomes transparentIndex.
  liq_set_max_colors(attr.get(), keyed ? colours + 1 : colours);
  liq_set_speed(attr.get(), 1);  // slowest, best palette; the pictures are small
  LiqHandle<liq_image> image(
      liq_image_create_rgba(attr.get(), rgba.data(), canvas.width, canvas.height, 0));
  liq_result* raw = nullptr;
  if (!image || liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK) {
    std::fprintf(stderr, "zintavel-datagen: the quantiser failed on a %dx%d picture\n", canvas.width, canvas.height);
    return {};
  }
  LiqHandle<liq_result> result(raw);
  liq_set_dithering_level(result.get(), 0.6f);  // enough to keep gradients smooth, little grain
  std::vector<std::uint8_t> mapped(pixels.size());
  liq_write_remapped_image(result.get(), image.get(), mapped.data(), mapped.size());
  const liq_palette* pal = liq_get_palette(result.get());

  // Palette entries in the quantiser's order, the transparent one moved to the key.
  int remap[256];
  int next = 0;
  for (unsigned i = 0; i < pal->count; ++i) {
    const liq_color c = pal->entries[i];
    if (keyed && c.a < 128) {
      remap[i] = transparentIndex;
      continue;
    }
    if (next == transparentIndex) ++next;
    remap[i] = next;
    out.palette[3 * next + 0] = c.r, out.palette[3 * next + 1] = c.g, out.palette[3 * next + 2] = c.b;
    ++next;
  }
  for (std::size_t i = 0; i < mapped.size(); ++i) out.indices[i] = static_cast<std::uint8_t>(remap[mapped[i]]);
  return out;
}
