#include "scenes/fades.h"

#include "assets/inventory.h"
#include "pixel/colour.h"

void RenderTitleCard(float level, Picture& frame) {
  ScaleSpan(level, TitleCardPicture.pixels, frame.pixels, PicturePixels);
}
void RenderBridgeFromWhite(float level, Picture& frame) {
  FadeSpanToWhite(level, BridgePicture.pixels, frame.pixels, PicturePixels);
}
void RenderBridgeDimmed(float level, Picture& frame) {
  ScaleSpan(level, BridgePicture.pixels, frame.pixels, PicturePixels);
}
void RenderEndCard(float level, Picture& frame) {
  ScaleSpan(level, EndCardPicture.pixels, frame.pixels, PicturePixels);
}
