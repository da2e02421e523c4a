// Small steps that several commands share: the start of the stopwatch, the beep of Check1, the refusal of input.
#pragma once

#include <string>

#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"
#include "timing/xTimer.h"

namespace teilomat {

// The window's stopwatch, calibrated and started.
inline xTimer& startStopwatch(OutputSurface& out) {
  xTimer& timer = out.stopwatch();
  timer.Calibrieren();
  timer.Start();
  return timer;
}

// The start of a command that leaves a number in Text2: the stopwatch runs,
// Text2 is emptied, and Frame4 and Command3 name what it will hold.
inline xTimer& startResultCommand(OutputSurface& out, const char* frame4Caption, const char* command3Caption) {
  xTimer& timer = startStopwatch(out);
  out.setText(TextField::Text2, "");
  out.setFrame4Caption(frame4Caption);
  out.setCommand3Caption(command3Caption);
  return timer;
}

// One system beep when Check1 holds the value 1.
inline void beepIfChecked(OutputSurface& out, PlatformServices& services) {
  if (out.check1Value() == 1) services.beep();
}

// Refused input: the caption becomes "Teilomat", then a message box (the
// application title, OK only) says why.
inline void refuseInput(OutputSurface& out, PlatformServices& services, const std::string& message) {
  out.setCaption("Teilomat");
  services.messageBox(message);
}

// The refusal of the search and the listing: the box, then the beep of a
// checked Check1 once it is closed.
inline void refuseAndBeep(OutputSurface& out, PlatformServices& services, const std::string& message) {
  refuseInput(out, services, message);
  beepIfChecked(out, services);
}

}  // namespace teilomat
