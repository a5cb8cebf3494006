// zintavel-art 112x112 alpha
// The emblem over the end card's lettering.
#include "cards_emblem.inc"
CardsEmblemScene(16, -6, false)
