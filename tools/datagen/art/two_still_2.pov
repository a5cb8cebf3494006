// zintavel-art 184x240
// The band's still life number 2: on the table at dusk, by an ember lamp.
#include "two_still.inc"
EveningLights()
Room(Dusk * 3.0, Dusk * 2.4)
StillLife(2)
