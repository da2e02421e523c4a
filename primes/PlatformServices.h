// Message box, input box, beep, event processing and locale, as the commands use them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "primes/Separators.h"

namespace teilomat {

// Thrown out of processEvents() (or a dialog) when the main window has gone
// away while commands run: it unwinds every running command, nested ones
// included, up to its button handler, which ends quietly.
class CommandAborted : public std::runtime_error {
 public:
  CommandAborted() : std::runtime_error("Das Fenster wurde geschlossen") {}
};

// The services of the windowing system that the commands call. Everything
// runs on the window's thread; processEvents() is the only place where one
// command can run inside another.
//
// Event processing is offered once per tested trial divisor. A real pass
// costs far more than a trial division, so the offer itself is an inline
// countdown: only every eventPassStride()-th offer reaches processEvents().
// The recording fake uses a stride of 1 so tests see every pass; the Qt
// services use a large stride and pump only when a pass is due by the clock.
class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // Modal message box with a single OK button and no icon. An empty title
  // means the application title, "Teilomat".
  virtual void messageBox(const std::string& text, const std::string& title = {}) = 0;
  // Modal input box with an empty default answer, placed with its top-left
  // corner at (leftTwips, topTwips) from the screen's top-left corner.
  // OK returns the typed text, Cancel the empty text.
  virtual std::string inputBox(const std::string& prompt, int leftTwips, int topTwips) = 0;
  virtual void beep() = 0;
  // Runs every pending window event once; a button pressed meanwhile runs
  // its whole command inside this call.
  virtual void processEvents() = 0;
  virtual Separators separators() const = 0;

  // How many offers fold into one call of processEvents(); at least 1.
  virtual std::uint64_t eventPassStride() const { return 1; }

  // One offer of an event pass: nearly free unless a pass is due.
  void offerEventPass() {
    if (--offersLeft_ == 0) {
      offersLeft_ = eventPassStride();
      processEvents();
    }
  }
  // The offer with this number (counting the next one as 1) calls processEvents().
  std::uint64_t offersBeforePass() const { return offersLeft_; }
  // Counts k offers that call nothing; k must be below offersBeforePass().
  void skipOffers(std::uint64_t k) { offersLeft_ -= k; }

 private:
  std::uint64_t offersLeft_ = 1;
};

}  // namespace teilomat
