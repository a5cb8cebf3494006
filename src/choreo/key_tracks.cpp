#include "choreo/key_tracks.h"

#include "assets/inventory.h"
#include "grid/raycast.h"
#include "pixel/sprite.h"
#include "pixel/truncate.h"

const std::int32_t BeatTrack[31] = {0,   18,  87,  91,  117, 122, 132, 162, 192, 222, 252,
                                    282, 312, 316, 342, 372, 402, 490, 522, 552, 582, 612,
                                    692, 732, 762, 764, 766, 770, 774, 776, 1000000};
const std::int32_t MirrorFlipTrack[9] = {0, 0, 732, 762, 764, 766, 770, 776, 1000000};
const std::int32_t CutGateTrack[20] = {0,   28,  117, 612, 692, 732, 770, 770, 772, 772,
                                       774, 774, 775, 775, 776, 776, 778, 790, 800, 100000};

namespace {

constexpr KeyRow<1> OverlayAmountRows[] = {
    {0, {0}},     {192, {0}},   {192, {255}}, {282, {512}}, {282, {0}},   {490, {0}},
    {490, {255}}, {552, {255}}, {552, {0}},   {612, {0}},   {612, {511}}, {692, {255}},
    {692, {0}},   {770, {0}},   {770, {512}}, {772, {256}}, {772, {0}},   {774, {0}},
    {774, {512}}, {775, {256}}, {775, {0}},   {776, {0}},   {776, {512}}, {9000, {256}},
};

constexpr KeyRow<1> MirrorLayerRows[] = {
    {0, {0}},     {132, {8}},   {192, {16}},  {192, {255}}, {222, {8}},   {281, {4}},
    {342, {16}},  {342, {255}}, {464, {128}}, {490, {0}},   {490, {255}}, {522, {8}},
    {592, {0}},   {612, {128}}, {612, {255}}, {692, {255}}, {732, {0}},   {770, {0}},
    {770, {256}}, {772, {128}}, {772, {0}},   {774, {0}},   {774, {256}}, {775, {128}},
    {775, {0}},   {776, {0}},   {776, {256}}, {778, {128}}, {786, {0}},   {100000, {0}},
};

constexpr KeyRow<1> NegativeRows[] = {
    {0, {0}},     {612, {0}}, {612, {255}}, {622, {0}}, {762, {0}}, {762, {256}},    {764, {0}},
    {764, {256}}, {766, {0}}, {766, {256}}, {768, {0}}, {786, {0}}, {100000, {0}},
};

constexpr KeyRow<2> SlideRows[] = {
    {0, {0, 320}},   {464, {128, 320}}, {490, {0, 0}},   {490, {255, 0}},   {572, {0, -280}}, {592, {0, -320}},
    {612, {32, 0}},  {612, {255, 0}},   {652, {0, 100}}, {776, {0, 0}},     {776, {256, 0}},  {9000, {256, 0}},
};

constexpr KeyRow<9> CameraRows[] = {
    {0, {0, 0, 0, 0, 0, 0, 0, 0, 0}},        {592, {0, 0, 0, 0, 0, 100, 0, 0, 0}},
    {612, {8, 0, 0, 10, 0, 0, 0, 0, 0}},     {612, {256, 0, 0, 20, 0, 0, 0, 0, 0}},
    {692, {0, 0, 0, 0, 0, 0, 0, 0, 0}},      {762, {8, 0, 0, 0, 0, 0, 0, 0, 0}},
    {762, {128, 0, 0, 20, 0, 0, 0, 0, 0}},   {764, {0, 0, 0, 30, 0, 0, 0, 0, 0}},
    {764, {128, 0, 0, 40, 0, 0, 0, 0, 0}},   {766, {0, 0, 0, 50, 0, 0, 0, 0, 0}},
    {766, {128, 0, 0, 60, 0, 0, 0, 0, 0}},   {770, {0, 0, 0, 70, 0, 0, 0, 0, 0}},
    {770, {128, 0, 0, 80, 0, 0, 0, 0, 0}},   {774, {0, 0, 0, 90, 0, 0, 0, 0, 0}},
    {774, {128, 0, 0, 100, 0, 0, 0, 0, 0}},  {776, {0, 0, 0, 110, 0, 0, 0, 0, 0}},
    {776, {128, 0, 0, 120, 0, 0, 0, 0, 0}},  {778, {0, 0, 0, 130, 0, 0, 0, 0, 0}},
    {900000, {256, 0, 0, 0, 0, 0, 0, 0, 0}},
};

template <typename T, std::size_t N>
constexpr std::int32_t CountOf(const T (&)[N]) {
  return static_cast<std::int32_t>(N);
}

// The first index k >= first whose key (in ms) is >= t, or count when none is.
template <typename KeyOf>
std::int32_t FirstKeyAtOrAfter(std::uint32_t t, std::int32_t first, std::int32_t count, KeyOf keyOf) {
  std::int32_t k = first;
  while (k < count && static_cast<std::uint32_t>(RowsToMs(keyOf(k))) < t) ++k;
  return k;
}

// Linear lookup; `roundF` rounds f to float before the products (the camera does).
template <int N>
void Linear(const KeyTrack<N>& track, std::uint32_t t, double out[N], bool roundF = false) {
  std::int32_t k = FirstKeyAtOrAfter(t, 1, track.count, [&](std::int32_t i) { return track.rows[i].row; });
  if (k >= track.count) {  // beyond the sentinel: its values hold
    for (int n = 0; n < N; ++n) out[n] = track.rows[track.count - 1].values[n];
    return;
  }
  const KeyRow<N>& a = track.rows[k - 1];
  const KeyRow<N>& b = track.rows[k];
  const double t0 = RowsToMs(a.row), t1 = RowsToMs(b.row);
  double f = (static_cast<double>(t) - t0) / (t1 - t0);
  if (roundF) f = static_cast<float>(f);
  for (int n = 0; n < N; ++n) out[n] = a.values[n] * (1.0 - f) + b.values[n] * f;
}

template <std::size_t N>
std::int32_t FirstInList(const std::int32_t (&list)[N], std::uint32_t t) {
  return FirstKeyAtOrAfter(t, 0, static_cast<std::int32_t>(N), [&](std::int32_t i) { return list[i]; });
}

}  // namespace

const KeyTrack<1> OverlayAmountTrack = {OverlayAmountRows, CountOf(OverlayAmountRows)};
const KeyTrack<1> MirrorLayerTrack = {MirrorLayerRows, CountOf(MirrorLayerRows)};
const KeyTrack<1> NegativeTrack = {NegativeRows, CountOf(NegativeRows)};
const KeyTrack<2> SlideTrack = {SlideRows, CountOf(SlideRows)};
const KeyTrack<9> CameraTrack = {CameraRows, CountOf(CameraRows)};

const KeyRow<3> OverlayChoiceTrack[5] = {
    {0, {0, 25600, 25600}}, {770, {1, 0, 76800}}, {774, {2, 0, 76800}},
    {776, {0, 25600, 25600}}, {10000, {0, 25600, 25600}},
};

const SpriteMove SpriteTrack[40] = {
    {132, 192, 320, 0, 0, 255, 255, 0, 0},    {192, 222, 0, 0, 0, 255, 255, 0, 0},
    {222, 282, 0, 0, 0, 255, 0, 0, 240},      {132, 192, -320, 0, 13, 255, 0, 0, 0},
    {192, 192, 0, 0, 13, 255, 64, 0, 0},      {192, 222, 0, 0, 13, 255, 255, 0, 0},
    {222, 282, 0, 0, 13, 255, 0, 0, -240},    {192, 222, 0, 0, 14, 255, 255, 0, 0},
    {222, 252, 0, 0, 14, 255, 0, 0, 0},       {282, 342, 160, 0, 1, 255, 255, 0, 0},
    {342, 402, 0, 0, 1, 255, 255, 0, 0},      {402, 464, 0, 320, 1, 255, 0, 0, 0},
    {282, 342, -160, 0, 2, 255, 255, 0, 0},   {342, 402, 0, 0, 2, 255, 255, 0, 0},
    {402, 464, 0, -320, 2, 255, 0, 0, 0},     {282, 342, 0, 0, 11, 255, 0, -240, 0},
    {342, 342, 0, 0, 11, 255, 16, 0, 0},      {342, 402, 0, 0, 11, 255, 255, 0, 0},
    {402, 464, 0, -240, 11, 255, 0, 0, 0},    {372, 402, 0, 0, 12, 255, 255, 0, 0},
    {402, 464, 0, 0, 12, 255, 0, 0, 0},       {490, 552, -320, 0, 4, 255, 128, 0, 0},
    {552, 582, 0, 0, 4, 255, 255, 0, 0},      {582, 612, 0, 0, 4, 255, 0, 0, -240},
    {402, 464, 320, 0, 3, 0, 128, 0, 0},      {464, 490, 0, 0, 3, 255, 255, 0, 0},
    {490, 522, 0, 0, 3, 255, 0, 0, 0},        {402, 464, -160, 0, 5, 0, 255, 0, 0},
    {464, 490, 0, 0, 5, 255, 0, 0, 0},        {402, 464, 320, 0, 6, 0, 64, 0, 0},
    {464, 522, 0, 80, 6, 255, 0, 0, 0},       {402, 464, 0, 0, 7, 0, 64, 200, 0},
    {464, 522, 0, -120, 7, 255, 0, 0, 0},     {402, 464, 320, 0, 8, 0, 64, -200, 0},
    {464, 522, 0, -30, 8, 255, 0, 0, 0},      {402, 464, -320, 0, 9, 0, 64, 200, 0},
    {464, 522, 0, -80, 9, 255, 0, 0, 0},      {490, 490, 0, 0, 10, 0, 255, 0, 0},
    {490, 522, 0, 0, 10, 255, 0, 0, 0},       {-1, 0, 0, 0, 0, 0, 0, 0, 0},
};

namespace {
double SingleAt(const KeyTrack<1>& track, std::uint32_t t) {
  double v[1];
  Linear(track, t, v);
  return v[0];
}
}  // namespace

double OverlayAmountAt(std::uint32_t t) { return SingleAt(OverlayAmountTrack, t); }
double MirrorLayerAt(std::uint32_t t) { return SingleAt(MirrorLayerTrack, t); }
double NegativeAt(std::uint32_t t) { return SingleAt(NegativeTrack, t); }

Slide SlideAt(std::uint32_t t) {
  double v[2];
  Linear(SlideTrack, t, v);
  return {v[0], v[1]};
}

OverlayChoice OverlayChoiceAt(std::uint32_t t) {
  const std::int32_t k = FirstKeyAtOrAfter(t, 0, CountOf(OverlayChoiceTrack),
                                           [](std::int32_t i) { return OverlayChoiceTrack[i].row; });
  const KeyRow<3>& row = OverlayChoiceTrack[k == 0 ? 0 : k - 1];
  return {row.values[0], row.values[1], row.values[2]};
}

std::int32_t MirrorFlipAt(std::uint32_t t) { return FirstInList(MirrorFlipTrack, t) % 2; }

bool CutGateOpenAt(std::uint32_t t) { return FirstInList(CutGateTrack, t) % 2 == 0; }

std::int32_t LastBeatAt(std::uint32_t t) {
  const std::int32_t k = FirstInList(BeatTrack, t);
  return k == 0 ? 0 : RowsToMs(BeatTrack[k - 1]);
}

Camera CameraAt(std::uint32_t t) {
  double v[9];
  Linear(CameraTrack, t, v, true);
  Camera camera;
  for (int n = 0; n < 9; ++n) camera.values[n] = static_cast<float>(v[n]);
  return camera;
}

void DrawCameraTrack(std::uint32_t t, const Pixel* texture, Picture& frame) {
  const Camera c = CameraAt(t);
  const float* v = c.values;
  DrawRayPlasma(static_cast<float>(t / 20), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], texture, frame);
}

void DrawSpriteTrack(std::uint32_t t, Picture& frame) {
  for (const SpriteMove* m = SpriteTrack; m->from != -1; ++m) {
    const std::int32_t from = RowsToMs(m->from), to = RowsToMs(m->to);
    if (t < static_cast<std::uint32_t>(from) || t >= static_cast<std::uint32_t>(to)) continue;
    const double f = (static_cast<double>(t) - from) / (to - from);
    const std::int32_t x = TruncateToInt32(m->xFrom * (1.0 - f) + m->xTo * f);
    const std::int32_t y = TruncateToInt32(m->yFrom * (1.0 - f) + m->yTo * f);
    const std::int32_t alpha = TruncateToInt32(m->alphaFrom * (1.0 - f) + m->alphaTo * f);
    const std::int32_t s = m->sprite;
    if (s < 0 || s >= SpriteCount) continue;
    BlendSprite(x, y, alpha, &SpriteBoxes[s], SpriteBank[s], frame);
  }
}
