// The recording stand-in: logs writes and calls, answers dialogs from a script.
#include "support/RecordingFake.h"

namespace teilomat::testing {

RecordingFake::RecordingFake() {
  texts[TextField::Text1] = "999999999999989";
  texts[TextField::Text2] = "";
  texts[TextField::Text3] = "";
  texts[TextField::Text4] = "";
}

std::string RecordingFake::text(TextField field) const {
  auto it = texts.find(field);
  return it == texts.end() ? std::string() : it->second;
}

void RecordingFake::setText(TextField field, const std::string& text) {
  static const char* const names[] = {"text1", "text2", "text3", "text4"};
  record(names[static_cast<int>(field)], texts[field], text);
}

std::uint64_t RecordingFake::nextCount() {
  counterReadAt.push_back(log.size());
  if (!counterValues.empty()) {
    lastCount_ = counterValues.front();
    counterValues.pop_front();
  } else {
    lastCount_ += counterStep;
  }
  return lastCount_;
}

xTimer& RecordingFake::stopwatch() {
  if (!timer_) timer_ = std::make_unique<xTimer>([this] { return nextCount(); }, 1000000000u);
  return *timer_;
}

void RecordingFake::messageBox(const std::string& text, const std::string& title) {
  log.push_back({"messageBox", text, title});
}
std::string RecordingFake::inputBox(const std::string& prompt, int leftTwips, int topTwips) {
  log.push_back({"inputBox", prompt, std::to_string(leftTwips) + "," + std::to_string(topTwips)});
  if (inputAnswers.empty()) return {};
  std::string answer = inputAnswers.front();
  inputAnswers.pop_front();
  return answer;
}
void RecordingFake::beep() { log.push_back({"beep", {}, {}}); }

void RecordingFake::processEvents() {
  ++passes;
  auto it = passActions.find(passes);
  if (it != passActions.end()) {
    auto action = std::move(it->second);
    passActions.erase(it);
    log.push_back({"pass", std::to_string(passes), {}});
    action();
  }
}

std::vector<std::string> RecordingFake::captions() const {
  std::vector<std::string> out;
  for (const auto& e : log)
    if (e.what == "caption") out.push_back(e.text);
  return out;
}
std::vector<Event> RecordingFake::eventsNamed(const std::string& what) const {
  std::vector<Event> out;
  for (const auto& e : log)
    if (e.what == what) out.push_back(e);
  return out;
}
long RecordingFake::indexOf(const std::string& what, const std::optional<std::string>& text) const {
  for (std::size_t i = 0; i < log.size(); ++i)
    if (log[i].what == what && (!text || log[i].text == *text)) return static_cast<long>(i);
  return -1;
}

}  // namespace teilomat::testing
