#include "display/presenter.h"

#include <cstring>
#include <memory>

#include "display/gentle.h"
#include "pixel/span_kernels.h"
#include "platform/platform.h"

std::int32_t DisplayDepth = 0;
std::int32_t PixelDoubling = 0;
bool GentleMode = false;

namespace {
std::int32_t FrameWidth = 0, FrameHeight = 0;
bool DeviceOpen = false;
std::unique_ptr<Picture> FrameBuffer;
std::unique_ptr<Picture> GentleBuffer;  // what --gentle shows in place of the frame

inline void Store16(std::uint8_t* at, std::uint32_t word) {
  at[0] = static_cast<std::uint8_t>(word);
  at[1] = static_cast<std::uint8_t>(word >> 8);
}

template <int Bytes, typename Put>
void ConvertRows(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t doubling,
                 std::uint8_t* surface, std::int32_t pitch, Put put) {
  for (std::int32_t y = 0; y < height; ++y) {
    const Pixel* src = frame + y * width;
    if (doubling) {
      std::uint8_t* row0 = surface + static_cast<std::ptrdiff_t>(2 * y) * pitch;
      std::uint8_t* row1 = row0 + pitch;
      for (std::int32_t x = 0; x < width; ++x) {
        put(row0 + 2 * x * Bytes, src[x]);
        put(row0 + (2 * x + 1) * Bytes, src[x]);
        put(row1 + 2 * x * Bytes, src[x]);
        put(row1 + (2 * x + 1) * Bytes, src[x]);
      }
    } else {
      std::uint8_t* row = surface + static_cast<std::ptrdiff_t>(y) * pitch;
      for (std::int32_t x = 0; x < width; ++x) put(row + x * Bytes, src[x]);
    }
  }
}
}  // namespace

void ConvertFrameReference(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                           std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch) {
  switch (depth) {
    case 15:
      ConvertRows<2>(frame, width, height, doubling, surface, pitch, [](std::uint8_t* at, Pixel v) {
        Store16(at, ((v >> 9) & 0x7C00) | ((v >> 6) & 0x03E0) | ((v >> 3) & 0x001F));
      });
      break;
    case 16:
      ConvertRows<2>(frame, width, height, doubling, surface, pitch, [](std::uint8_t* at, Pixel v) {
        Store16(at, ((v >> 8) & 0xF800) | ((v >> 5) & 0x07E0) | ((v >> 3) & 0x001F));
      });
      break;
    case 24:
      ConvertRows<3>(frame, width, height, doubling, surface, pitch, [](std::uint8_t* at, Pixel v) {
        at[0] = static_cast<std::uint8_t>(v >> 16);  // red at the lowest address
        at[1] = static_cast<std::uint8_t>(v >> 8);
        at[2] = static_cast<std::uint8_t>(v);
      });
      break;
    case 32:
      ConvertRows<4>(frame, width, height, doubling, surface, pitch,
                     [](std::uint8_t* at, Pixel v) { std::memcpy(at, &v, 4); });
      break;
    default:
      break;
  }
}

void ConvertFrame(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                  std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch) {
  if (width <= 0 || height <= 0) return;
  if (depth == 32 && !doubling) {
    // The frame's own layout: one copy per row.
    for (std::int32_t y = 0; y < height; ++y)
      std::memcpy(surface + static_cast<std::ptrdiff_t>(y) * pitch, frame + static_cast<std::ptrdiff_t>(y) * width,
                  static_cast<std::size_t>(width) * 4);
    return;
  }
  const bool vectors = depth == 32 || depth == 16 || depth == 15 || (depth == 24 && !doubling);
  if (vectors && !UsingReferenceKernels()) ConvertFrameFast(frame, width, height, depth, doubling, surface, pitch);
  else ConvertFrameReference(frame, width, height, depth, doubling, surface, pitch);
}

std::int32_t OpenDisplay(std::int32_t width, std::int32_t height) {
  FrameWidth = width;
  FrameHeight = height;
  Platform& p = *ActivePlatform;
  if (!p.OpenDevice()) return 1;
  DeviceOpen = true;
  bool found = false;
  for (std::int32_t doubling = 0; doubling <= 1 && !found; ++doubling) {
    for (std::int32_t depth : {32, 24, 16, 15}) {
      if (p.SetMode(width << doubling, height << doubling, depth)) {
        DisplayDepth = depth;
        PixelDoubling = doubling;
        found = true;
        break;
      }
    }
  }
  if (found && p.CreateSurfaces() && width == ScreenWidth && height == ScreenHeight) {
    FrameBuffer = std::make_unique<Picture>();
    return 0;
  }
  p.DebugString("DDraw Error");
  CloseDisplay();
  return 1;
}

Picture* GetFrameBuffer() { return FrameBuffer.get(); }

void PresentFrame() {
  Platform& p = *ActivePlatform;
  std::uint8_t* surface = nullptr;
  std::int32_t pitch = 0;
  const Pixel* out = FrameBuffer ? FrameBuffer->pixels : nullptr;
  if (FrameBuffer && GentleMode) {
    if (!GentleBuffer) GentleBuffer = std::make_unique<Picture>();
    LimitFlashes(FrameBuffer->pixels, GentleBuffer->pixels, p.TickCount());
    out = GentleBuffer->pixels;
  }
  if (FrameBuffer && p.Lock(surface, pitch)) {
    ConvertFrame(out, FrameWidth, FrameHeight, DisplayDepth, PixelDoubling, surface, pitch);
    if (!p.Unlock()) p.DebugString("BackBuffer->Unlock() Failed!");
  }
  if (!p.Flip()) p.DebugString("FrontBuffer->Flip() Failed!");
}

void CloseDisplay() {
  if (DeviceOpen) {
    ActivePlatform->CloseDevice();
    DeviceOpen = false;
  }
  FrameBuffer.reset();
  GentleBuffer.reset();
  ResetFlashLimiter();
}
