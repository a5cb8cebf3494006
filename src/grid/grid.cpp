#include "grid/grid.h"

#include "pixel/span_kernels.h"

GridField PlasmaGrid;
GridField RayGrid;

void MapGridReference(const Pixel* texture, Picture& destination) {
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
      Pixel* row = destination.pixels + (8 * i) * ScreenWidth + 8 * j;
      for (std::int32_t s = 0; s < 8; ++s, row += ScreenWidth) {
        uL += duL, uR += duR, vL += dvL, vR += dvR;
        const std::int32_t du = (uR - uL) >> 3, dv = (vR - vL) >> 3;
        std::int32_t u = uL, v = vL;
        for (std::int32_t t = 0; t < 8; ++t) {
          u += du, v += dv;
          row[t] = texture[((v >> 8) & 255) * TextureSize + ((u >> 8) & 255)];
        }
      }
    }
  }
}

void MapGrid(const Pixel* texture, Picture& destination) {
  if (UsingReferenceKernels()) MapGridReference(texture, destination);
  else MapGridFast(texture, destination);
}
