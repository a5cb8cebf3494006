#include "assets/inventory.h"

Picture TitleCardPicture;
Picture SpriteBank[SpriteCount];
SpriteBox SpriteBoxes[SpriteCount];
Picture FigureLayers[FigureLayerCount];
SpriteBox FigureBoxes[FigureLayerCount];
Pixel BadgePictures[2][BadgeWidth * BadgeHeight];
Picture EndCardPicture;
Picture TextBackgrounds[3];
Picture LastTextBackground;
Picture CutPictureA;
Picture CutPictureB;
Picture OpeningPicture;
Picture OverlayPictures[3];
Picture MirrorPictures[2];
Pixel ScannerTexture[TexturePixels];
Pixel PartOneTexture[TexturePixels];
Picture SlidePictures[2];
Picture BridgePicture;
Picture ScratchPicture;
Picture ZoomWorkPicture;
Picture TintPicture;

BitmapFont LargeFont;
BitmapFont SmallFont;
BitmapFont PageFont;
