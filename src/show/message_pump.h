// The one window, as the show sees it, and its message pump: the pump takes
// every event the backend has waiting and returns when none waits, so it never
// blocks a frame. Escape and a close request set QuitRequested, the show's one
// quit request (never reset while the show runs; the window stays).
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern std::int32_t QuitRequested;

bool CreateMainWindow();
void PumpMessages();
void MainWindowProc(WindowEvent event);
