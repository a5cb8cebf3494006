// The real-time backend: an SDL2 window (desktop-sized full screen, or a
// resizable window), a renderer with a streaming texture in the display depth's
// format, drawn scaled by whole multiples with nearest-neighbour sampling and
// letterboxed, vsync where the renderer offers it; sound through an SDL audio
// device at 44,100 Hz stereo.
#pragma once

#include <memory>
#include <optional>

#include "platform/engine_platform.h"

struct SdlOptions {
  bool window = false;                 // a resizable window instead of full screen
  std::optional<int> depth;            // only this depth "exists"
  bool forceDoubling = false;          // only the doubled size "exists"
  bool mute = false;                   // open no sound device
  std::optional<std::uint32_t> quitAt;
};

std::unique_ptr<EnginePlatform> MakeSdlPlatform(const SdlOptions& options);
