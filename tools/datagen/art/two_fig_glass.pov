// zintavel-art 320x240 alpha
// The scanned figure before the scan: teal glass, its visor dark.
#include "two_bust.inc"
Bust(false)
