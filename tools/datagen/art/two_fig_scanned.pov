// zintavel-art 320x240 alpha
// The scanned figure after the scan: chrome, its visor lit.
#include "two_bust.inc"
Bust(true)
