// Putting one Picture onto another.
//
// The sprite operations visit only the sprite's box shifted by (dx, dy), clipped
// to the 320x240 screen (and to the source picture), and skip source pixels equal
// to TransparentKey. Opacity or gain k below 1 draws nothing; above 255 counts as
// 255.
//   BlendSprite  d = min(255, ((d * (255 - k)) >> 8) + ((s * k) >> 8)) per colour
//                channel, top byte 0
//   AddSprite    d = min(255, d + ((s * k) >> 8)) in all four bytes
// StretchPicture draws the whole source scaled into [left, right) x [top, bottom)
// with 16.16 steppers, overwriting every pixel; the last column and row of the
// rectangle are not drawn.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

void BlendSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                 const Picture& source, Picture& destination);
void AddSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
               const Picture& source, Picture& destination);
void StretchPicture(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                    const Picture& source, Picture& destination);

// The plain references, pixel by pixel, which the fast versions must match.
void BlendSpriteReference(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                          const Picture& source, Picture& destination);
void AddSpriteReference(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                        const Picture& source, Picture& destination);
void StretchPictureReference(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                             const Picture& source, Picture& destination);
