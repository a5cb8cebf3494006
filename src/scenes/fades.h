// Whole pictures faded by a level (0..1; see ScaleSpan and FadeSpanToWhite):
// every pixel of the frame is written, the frame is never read.
#pragma once

#include "pixel/picture.h"

void RenderTitleCard(float level, Picture& frame);
void RenderBridgeFromWhite(float level, Picture& frame);
void RenderBridgeDimmed(float level, Picture& frame);
void RenderEndCard(float level, Picture& frame);
