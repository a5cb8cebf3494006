// A scene that opens a window itself.
#include <SDL.h>
