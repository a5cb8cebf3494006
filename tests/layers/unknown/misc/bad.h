// A folder the order does not name.
#include "pixel/picture.h"
