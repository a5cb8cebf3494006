// zintavel-art 56x56 alpha
// The emblem standing in front of the setting sun on the title card.
#include "cards_emblem.inc"
CardsEmblemScene(-14, 8, true)
