// zintavel-art 184x240
// The band under the last pages: the same table after dark, lit by one low
// amber lamp, deep enough that the yellow of the flying letters reads on it.
#include "two_still.inc"
light_source { <-4, 2.2, -3> color Amber * 0.9 }
light_source { <6, 3, 5> color Teal * 0.55 }
Room(Dusk * 2.2, Dusk * 1.8)
StillLife(0)
