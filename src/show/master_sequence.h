// The presentation's one schedule: start-up (window, sound, display, assets),
// six phases of frames (title card 20 s, part one 54 s under the MP3, countdown
// 9.6 s under the module, bridge 5.76 s, part two until quit, closing 10 s with
// the volume ramped down), then teardown. Time comes only from the platform's
// tick counter. Returns the process exit code: 0 when the presentation ends,
// 1 on a fatal error or a display that cannot be opened.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

// The scene operations the sequence calls; tests swap in recorders.
struct SceneTable {
  bool (*loadAssets)();
  void (*titleCard)(float level, Picture& frame);
  void (*partOne)(std::uint32_t t, Picture& frame);
  void (*badge)(std::int32_t which, Picture& frame);
  void (*countdown)(std::int32_t number, float fraction, Picture& frame);
  void (*bridgeFromWhite)(float level, Picture& frame);
  void (*bridgeDimmed)(float level, Picture& frame);
  void (*partTwo)(std::uint32_t t, Picture& frame);
  void (*endCard)(float level, Picture& frame);
};

const SceneTable& DemoScenes();

// The part-one time of the latest part-one frame.
extern std::uint32_t PartOneTime;

// One frame of part one at show tick `now`, `t` into part one: the scene and,
// over its last seconds, the blinking badge.
void DrawPartOneFrame(const SceneTable& scenes, std::uint32_t now, std::uint32_t t, Picture& frame);

int MasterSequence(const SceneTable& scenes = DemoScenes());

// The per-frame levels of the fading phases, from the phase time e.
float TitleCardLevel(std::uint32_t e);
float EndCardLevel(std::uint32_t e);
struct CountdownStep {
  std::int32_t number;
  float fraction;
};
CountdownStep CountdownAt(std::uint32_t e);
struct BridgeLevels {
  float a, b;  // b >= 1: the fade from white with a; else the dimmed picture with b
};
BridgeLevels BridgeAt(std::uint32_t e);
// The closing volume for e, or -1 when no volume call is made.
std::int32_t ClosingVolumeAt(std::uint32_t e);
