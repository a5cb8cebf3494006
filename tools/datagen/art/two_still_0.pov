// zintavel-art 184x240
// The band's still life number 0: on the paper table in the low sun.
#include "two_still.inc"
RoomLights(1)
Room(Paper, Paper * 0.92)
StillLife(0)
