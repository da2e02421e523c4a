// The recording fake as the real window behaves: captions kept and built only at event passes, nothing logged.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "support/RecordingFake.h"

namespace teilomat::bench {

// A long listing writes hundreds of thousands of captions; the window shows
// only the last one before each real pass. This surface does the same, so a
// benchmark measures the command's own work and not a test log's growth.
// Like the real window it passes by the clock: a pass that comes less than
// 5 ms after the last real one does nothing.
class WindowLikeFake final : public testing::RecordingFake {
 public:
  WindowLikeFake() {
    stride = 65536;  // as the real window folds its event passes
    clockLike = true;
    check1 = 0;
  }
  void setCaption(const CaptionReport& report) override {
    report_ = report;
    ++captionsWritten;
  }
  void processEvents() override {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPass_ < std::chrono::milliseconds(5)) return;
    lastPass_ = now;
    if (report_) caption = captionText(*report_, locale);
    report_.reset();
    ++passes;
  }
  void appendToList(uint128 prime) override { list.push_back(prime); }
  std::uint64_t captionsWritten = 0;

 private:
  std::optional<CaptionReport> report_;
  std::chrono::steady_clock::time_point lastPass_{};
};

}  // namespace teilomat::bench
