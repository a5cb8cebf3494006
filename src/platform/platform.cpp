#include "platform/platform.h"

Platform* ActivePlatform = nullptr;
