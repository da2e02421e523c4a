// The platform services on Qt: message box, input box, beep, event passes and the system locale.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>

#include "commands/PlatformServices.h"

namespace teilomat {

// Event passes are cheap for the commands: the engine calls processEvents()
// only every kStride-th offer, and processEvents() runs Qt's event
// processing only when at least passInterval() has gone by since the last
// real pass. A click or a repaint thus waits at most about that interval
// (5 ms by default), while an offer with nothing due costs a countdown and,
// every kStride offers, one clock read.
//
// Dialogs, beep and locale can be handed to a stand-in (the tests' recording
// fake), so that no real modal dialog opens in a test; event processing
// always stays real.
class QtPlatformServices : public PlatformServices {
 public:
  // A clock read costs about 23 ns; 65536 candidates take 5 to 300 µs,
  // depending on the kernel, so the read is lost in the noise and a due pass
  // still comes within a fraction of a millisecond.
  static constexpr std::uint64_t kStride = 65536;
  static constexpr std::chrono::nanoseconds kDefaultPassInterval = std::chrono::milliseconds(5);

  // dialogParent: the window that dialogs are centred on (may be null).
  explicit QtPlatformServices(QWidget* dialogParent = nullptr);

  void messageBox(const std::string& text, const std::string& title = {}) override;
  std::string inputBox(const std::string& prompt, int leftTwips, int topTwips) override;
  void beep() override;
  void processEvents() override;
  Separators separators() const override;
  std::uint64_t eventPassStride() const override { return kStride; }
  bool passesByClock() const override { return true; }

  // Dialogs, beep and separators go to `standIn` when it is not null.
  void setDialogStandIn(PlatformServices* standIn) { standIn_ = standIn; }
  PlatformServices* dialogStandIn() const { return standIn_; }

  // beforePass runs before every real event pass and before every dialog
  // (the window shows its pending caption there). When abortRequested
  // answers true, processEvents() and the dialogs throw CommandAborted:
  // before a pass, and again after one (once Qt has returned). When
  // cancelRequested answers true after a real pass (asked for the command
  // that called processEvents, once Qt has returned), it throws
  // CommandCancelled.
  void setHooks(std::function<void()> beforePass, std::function<bool()> abortRequested,
                std::function<bool()> cancelRequested = {});
  // Told true when a message box or input box opens and false when it has
  // closed (the stand-in's too): no command computes in between.
  void setDialogObserver(std::function<void(bool shown)> observer) { dialogObserver_ = std::move(observer); }

  void setPassInterval(std::chrono::nanoseconds interval) { passInterval_ = interval; }
  std::chrono::nanoseconds passInterval() const { return passInterval_; }
  std::uint64_t realPasses() const { return realPasses_; }  // passes that ran Qt's processing

 private:
  void throwIfAborted() const;
  void prepareDialog();
  class DialogShown;

  QPointer<QWidget> dialogParent_;
  PlatformServices* standIn_ = nullptr;
  std::function<void()> beforePass_;
  std::function<bool()> abortRequested_;
  std::function<bool()> cancelRequested_;
  std::function<void(bool)> dialogObserver_;
  std::chrono::nanoseconds passInterval_ = kDefaultPassInterval;
  QElapsedTimer sinceLastPass_;
  std::uint64_t realPasses_ = 0;
};

}  // namespace teilomat
