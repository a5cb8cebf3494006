// A pixel file that reaches up into the show.
#include "show/seek.h"
