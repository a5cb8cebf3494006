// Every picture, font and work buffer of the demo. They are process-wide and
// made once by LoadAssets before the first frame; nothing is allocated or freed
// afterwards. Pictures are 320x240 unless said otherwise.
#pragma once

#include <cstdint>

#include "assets/font.h"
#include "grid/grid.h"
#include "pixel/picture.h"

inline constexpr std::int32_t SpriteCount = 15;
inline constexpr std::int32_t FigureLayerCount = 6;
inline constexpr std::int32_t BadgeWidth = 32;
inline constexpr std::int32_t BadgeHeight = 30;

extern Picture TitleCardPicture;
extern Picture SpriteBank[SpriteCount];
extern SpriteBox SpriteBoxes[SpriteCount];
extern Picture FigureLayers[FigureLayerCount];
extern SpriteBox FigureBoxes[FigureLayerCount];
extern Pixel BadgePictures[2][BadgeWidth * BadgeHeight];
extern Picture EndCardPicture;
extern Picture TextBackgrounds[3];
extern Picture LastTextBackground;
extern Picture CutPictureA;
extern Picture CutPictureB;
extern Picture OpeningPicture;
extern Picture OverlayPictures[3];
extern Picture MirrorPictures[2];  // [1] is [0] upside down
extern Pixel ScannerTexture[TexturePixels];
extern Pixel PartOneTexture[TexturePixels];
extern Picture SlidePictures[2];
extern Picture BridgePicture;
extern Picture ScratchPicture;
extern Picture ZoomWorkPicture;
extern Picture TintPicture;  // CutPictureB moved 65 columns right, wrapping

extern BitmapFont LargeFont;
extern BitmapFont SmallFont;
extern BitmapFont PageFont;
