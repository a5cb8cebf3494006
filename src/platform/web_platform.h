// The browser backend: the surface goes to the page's canvas at every flip,
// which then waits for the next animation frame (the blocking frame loop is
// unwound and resumed by Asyncify); the clock, the keys and the sound live in
// the page's script (web/page.js), which this layer calls through a handful of
// functions on Module.zintavel. The sound calls become messages to the audio
// thread, where the same AudioEngine runs (src/sound/web_audio.cpp). Seeks come
// from the page's keys and timeline (zw_seek_key, zw_seek_to); their replays
// yield to the page now and then, and their sound is replayed on the audio
// thread up to the landing, which the page's clock waits for.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/platform.h"

// wholePartTwo: part two's length that shows it whole (asked once the pages
// are loaded), for the timeline's end. poster: a picture in the surface's
// layout (320x240 0x00RRGGBB words) to show under a seek made before any frame
// was, or null.
std::unique_ptr<Platform> MakeWebPlatform(std::function<std::uint32_t()> wholePartTwo,
                                          std::function<const std::uint8_t*()> poster);
