// The one window and its message pump. Escape and a close request set
// QuitRequested (never reset); the window stays. The pump takes every waiting
// event and returns when none waits: it never blocks a frame.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern std::int32_t QuitRequested;

bool CreateMainWindow();
void PumpMessages();
void MainWindowProc(WindowEvent event);
