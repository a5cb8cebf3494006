// The choreography of part one: constant tables of key times in rows (one row is
// 1000 / 16 ms, truncated) and their lookups at the part-one time t (ms).
//
//   linear  the segment (k - 1, k) with the smallest k >= 1 whose key is >= t,
//           values interpolated in double; at a duplicated key the earlier row wins
//   step    the last row whose key is strictly before t, else row 0
//   parity  the index k of the first key >= t, read as k mod 2
//   beat    the key before the first key >= t
// Every lookup is a pure function of t; a t beyond a table's sentinel reads the
// last row.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

inline constexpr std::int32_t RowsToMs(std::int32_t rows) { return (rows * 1000) / 16; }

// One row of a linear or step table: the key time in rows and N values.
template <int N>
struct KeyRow {
  std::int32_t row;
  std::int32_t values[N];
};

// A linear track: rows with non-decreasing times, row 0 at time 0, a sentinel last.
template <int N>
struct KeyTrack {
  const KeyRow<N>* rows;
  std::int32_t count;
};

// A sprite move: active for from <= t < to (ms of the row fields).
struct SpriteMove {
  std::int32_t from, to, xFrom, xTo, sprite, alphaFrom, alphaTo, yFrom, yTo;
};

extern const std::int32_t BeatTrack[31];
extern const std::int32_t MirrorFlipTrack[9];
extern const std::int32_t CutGateTrack[20];
extern const KeyTrack<1> OverlayAmountTrack;
extern const KeyTrack<1> MirrorLayerTrack;
extern const KeyTrack<1> NegativeTrack;
extern const KeyTrack<2> SlideTrack;
extern const KeyTrack<9> CameraTrack;
extern const KeyRow<3> OverlayChoiceTrack[5];
extern const SpriteMove SpriteTrack[40];  // ends with from = -1

struct OverlayChoice {
  std::int32_t picture, firstPixel, pixelCount;
};
struct Slide {
  double gain, x;
};
// The nine camera values in table order: mix, eye 1-3, angles 1-3 (degrees), steps 1-2.
struct Camera {
  float values[9];
};

double OverlayAmountAt(std::uint32_t t);
OverlayChoice OverlayChoiceAt(std::uint32_t t);
Slide SlideAt(std::uint32_t t);
double MirrorLayerAt(std::uint32_t t);
std::int32_t MirrorFlipAt(std::uint32_t t);
double NegativeAt(std::uint32_t t);
// 0 at t = 0, where no beat precedes.
std::int32_t LastBeatAt(std::uint32_t t);
bool CutGateOpenAt(std::uint32_t t);
// The camera values at t (interpolated with f rounded to float).
Camera CameraAt(std::uint32_t t);

// The grid background: DrawRayPlasma at time float(t / 20) with CameraAt(t).
void DrawCameraTrack(std::uint32_t t, const Pixel* texture, Picture& frame);
// BlendSprite of every move active at t, in table order, from SpriteBank.
void DrawSpriteTrack(std::uint32_t t, Picture& frame);
