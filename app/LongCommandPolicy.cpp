// The policy for long commands, what the desktop learns of them: idle sleep held from 2 s, launcher progress, a
// notification after 10 s.
#include "app/LongCommandPolicy.h"

#include <algorithm>
#include <utility>

namespace teilomat {

LongCommandPolicy::LongCommandPolicy(DesktopBus& bus, std::function<Clock::time_point()> now)
    : bus_(bus), now_(std::move(now)), origin_(now_()) {}

LongCommandPolicy::Clock::duration LongCommandPolicy::computed() const {
  const Clock::time_point now = now_();
  const Clock::time_point until = openDialogs_ > 0 ? dialogSince_ : now;
  return until - origin_ - inDialogs_;
}

void LongCommandPolicy::commandStarted() { commands_.push_back({computed()}); }

void LongCommandPolicy::tick(std::optional<double> percent) {
  if (commands_.empty() || closed_) return;
  if (percent) commands_.back().percent = *percent;
  if (computed() - commands_.front().start < kQuietStart) return;
  if (!inhibited_ && openDialogs_ == 0) {
    bus_.inhibitSleep();
    inhibited_ = true;
  }
  const double shown = commands_.back().percent;
  const Clock::time_point now = now_();
  if (progressShown_ && (shown == shownPercent_ || now - progressSentAt_ < kProgressInterval)) return;
  bus_.showProgress(std::clamp(shown / 100.0, 0.0, 1.0));
  progressShown_ = true;
  shownPercent_ = shown;
  progressSentAt_ = now;
}

void LongCommandPolicy::commandEnded(CommandEnd how, const CaptionReport& caption, const Separators& separators,
                                     bool windowActive) {
  if (commands_.empty()) return;
  const Clock::duration ran = computed() - commands_.back().start;
  commands_.pop_back();
  if (how == CommandEnd::Finished && !closed_ && !windowActive && ran >= kNotifyAfter)
    bus_.notifyEnd(captionStatus(caption, separators), durationLine(ran));
  if (commands_.empty()) {
    endRun();
    closed_ = false;
  }
}

void LongCommandPolicy::dialogShown(bool shown) {
  if (shown) {
    if (openDialogs_++ > 0) return;
    dialogSince_ = now_();
    if (inhibited_) {
      bus_.releaseSleep();
      inhibited_ = false;
    }
  } else if (openDialogs_ > 0 && --openDialogs_ == 0) {
    inDialogs_ += now_() - dialogSince_;  // the next tick holds sleep again
  }
}

void LongCommandPolicy::windowClosed() {
  if (commands_.empty()) return;
  closed_ = true;
  endRun();
}

void LongCommandPolicy::endRun() {
  if (inhibited_) bus_.releaseSleep();
  if (progressShown_) bus_.hideProgress();
  inhibited_ = false;
  progressShown_ = false;
}

std::string LongCommandPolicy::durationLine(Clock::duration duration) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
  const std::pair<long long, std::pair<const char*, const char*>> units[] = {{seconds / 3600, {"Stunde", "Stunden"}},
                                                                             {seconds / 60 % 60, {"Minute", "Minuten"}},
                                                                             {seconds % 60, {"Sekunde", "Sekunden"}}};
  std::vector<std::string> parts;
  for (const auto& [count, names] : units)
    if (count > 0) parts.push_back(std::to_string(count) + " " + (count == 1 ? names.first : names.second));
  if (parts.empty()) parts.push_back("0 Sekunden");
  std::string line = "Dauer: " + parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) line += (i + 1 == parts.size() ? " und " : ", ") + parts[i];
  return line;
}

}  // namespace teilomat
