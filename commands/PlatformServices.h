// Message box, input box, beep, event processing and locale, as the commands use them.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/EventPump.h"
#include "numbers/Separators.h"

namespace teilomat {

// Thrown out of processEvents() (or a dialog) when the main window has gone
// away while commands run: it unwinds every running command, nested ones
// included, up to its button handler, which ends quietly.
class CommandAborted : public std::runtime_error {
 public:
  CommandAborted() : std::runtime_error("Das Fenster wurde geschlossen") {}
};

// Thrown out of processEvents() when the user has ended the innermost
// running command (Esc): it unwinds that command only, up to its button
// handler, which writes no result; a command it ran inside goes on.
class CommandCancelled : public std::runtime_error {
 public:
  CommandCancelled() : std::runtime_error("Der Befehl wurde abgebrochen") {}
};

// The services of the windowing system that the commands call. Everything
// runs on the window's thread; processEvents() (from EventPump) is the only
// place where one command can run inside another.
//
// The recording fake uses an event-pass stride of 1 so tests see every pass;
// the Qt services use a large stride and pump only when a pass is due by
// the clock.
class PlatformServices : public EventPump {
 public:
  // Modal message box with a single OK button and no icon. An empty title
  // means the application title, "Teilomat".
  virtual void messageBox(const std::string& text, const std::string& title = {}) = 0;
  // Modal input box with an empty default answer, placed with its top-left
  // corner at (leftTwips, topTwips) from the screen's top-left corner.
  // OK returns the typed text, Cancel the empty text.
  virtual std::string inputBox(const std::string& prompt, int leftTwips, int topTwips) = 0;
  virtual void beep() = 0;
  virtual Separators separators() const = 0;
};

}  // namespace teilomat
