// The event passes a long loop offers: an inline countdown in front of the window's event processing.
#pragma once

#include <cstdint>

namespace teilomat {

// Whatever runs the window's pending events. A loop offers a pass once per
// tested candidate; a real pass costs far more than a trial division, so the
// offer is an inline countdown and only every eventPassStride()-th offer
// reaches processEvents(). The countdown lives here, with the pump, so that
// nested loops (a command started inside a pass) continue one stream of
// offers.
class EventPump {
 public:
  virtual ~EventPump() = default;

  // Runs every pending window event once; a button pressed meanwhile runs
  // its whole command inside this call.
  virtual void processEvents() = 0;
  // How many offers fold into one call of processEvents(); at least 1.
  virtual std::uint64_t eventPassStride() const { return 1; }
  // True when processEvents() itself decides by the clock whether a real
  // pass is due, so that calling it more or less often than the countdown
  // says changes nothing but the latency of the window. Such a pump may be
  // called at the boundaries of parallel work instead of per offer.
  virtual bool passesByClock() const { return false; }

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
