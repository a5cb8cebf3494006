// zintavel-art 26x26 alpha
// The emblem inside the countdown's badge.
#include "cards_emblem.inc"
CardsEmblemScene(0, 0, false)
