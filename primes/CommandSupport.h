// Small steps that several commands share: the beep of Check1 and the refusal of input.
#pragma once

#include <string>

#include "primes/OutputSurface.h"
#include "primes/PlatformServices.h"

namespace teilomat {

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

}  // namespace teilomat
