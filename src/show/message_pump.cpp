#include "show/message_pump.h"

std::int32_t QuitRequested = 0;

bool CreateMainWindow() { return ActivePlatform->CreateWindow(); }

void PumpMessages() {
  WindowEvent event;
  while (ActivePlatform->NextEvent(event)) MainWindowProc(event);
}

void MainWindowProc(WindowEvent event) {
  switch (event) {
    case WindowEvent::CloseRequest:
    case WindowEvent::EscapeKey:
      QuitRequested = 1;
      break;
    case WindowEvent::OtherKey:
    case WindowEvent::Other:
      break;
  }
}
