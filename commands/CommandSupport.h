// Small steps that several commands share: the start of the stopwatch, the beep of Check1, the refusal of input.
#pragma once

#include <optional>
#include <string>

#include "commands/CommandMessages.h"
#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"
#include "numbers/NumberInput.h"
#include "timing/xTimer.h"

namespace teilomat {

// The window's stopwatch, calibrated and started.
inline xTimer& startStopwatch(OutputSurface& out) {
  xTimer& timer = out.stopwatch();
  timer.Calibrieren();
  timer.Start();
  return timer;
}

// One system beep when Check1 holds the value 1.
inline void beepIfChecked(OutputSurface& out, PlatformServices& services) {
  if (out.check1Value() == 1) services.beep();
}

// Runs `work` and gives back what it gives. When Esc ends it
// (CommandCancelled), `sayCancelled` first writes the labels that tell how
// far it got, so that no label claims a result the command never reached;
// the command then ends as before.
template <class Work, class SayCancelled>
decltype(auto) telling(SayCancelled&& sayCancelled, Work&& work) {
  try {
    return work();
  } catch (const CommandCancelled&) {
    sayCancelled();
    throw;
  }
}

// Refused input: the caption becomes "Teilomat", then a message box (the
// application title, OK only) says why.
inline void refuseInput(OutputSurface& out, PlatformServices& services, const std::string& message) {
  out.setCaption(CaptionReport::refused());
  services.messageBox(message);
}

// The refusal of the search and the listing: the box, then the beep of a
// checked Check1 once it is closed.
inline void refuseAndBeep(OutputSurface& out, PlatformServices& services, const std::string& message) {
  refuseInput(out, services, message);
  beepIfChecked(out, services);
}

// A field's text as a number, or the refusal: with `guardMessage` the
// 29-digit guard comes first and refuses with that message; without it a
// text of 1e29 or more fails its conversion. `beepAfter`: the refusal of
// the search and the listing, which beep once the box is closed.
inline std::optional<DecimalNumber> readOrRefuse(OutputSurface& out, PlatformServices& services,
                                                 const std::string& text, const char* guardMessage, bool beepAfter) {
  const InputReading reading = readNumber(text, services.separators(), guardMessage != nullptr);
  if (reading.status == InputStatus::Ok) return reading.value;
  const char* message =
      reading.status == InputStatus::TooManyDigits ? guardMessage : messages::conversionFailure(reading.status);
  if (beepAfter) refuseAndBeep(out, services, message);
  else refuseInput(out, services, message);
  return std::nullopt;
}

// The start of the two commands that test Text1 and leave a number in
// Text2: the stopwatch runs, Text2 is emptied, Frame4 and Command3 name what
// it will hold, and Text1 is read (or refused, as readOrRefuse does).
inline std::optional<DecimalNumber> startText1Command(OutputSurface& out, PlatformServices& services,
                                                      const char* frame4Caption, const char* command3Caption,
                                                      const char* guardMessage, bool beepAfter) {
  startStopwatch(out);
  out.setText(TextField::Text2, "");
  out.setFrame4Caption(frame4Caption);
  out.setCommand3Caption(command3Caption);
  return readOrRefuse(out, services, out.text(TextField::Text1), guardMessage, beepAfter);
}

}  // namespace teilomat
