// The recording stand-in: logs writes and calls, answers dialogs from a script.
#include "support/RecordingFake.h"

namespace teilomat::testing {

RecordingFake::RecordingFake() {
  texts[TextField::Text1] = "999999999999989";
  texts[TextField::Text2] = "";
  texts[TextField::Text3] = "";
  texts[TextField::Text4] = "";
}

void RecordingFake::setCaption(const std::string& text) {
  caption = text;
  log.push_back({"caption", text, {}});
}
void RecordingFake::setLabel1(const std::string& text) {
  label1 = text;
  log.push_back({"label1", text, {}});
}
void RecordingFake::setLabel2(const std::string& text) {
  label2 = text;
  log.push_back({"label2", text, {}});
}
std::string RecordingFake::text(TextField field) const {
  auto it = texts.find(field);
  return it == texts.end() ? std::string() : it->second;
}
void RecordingFake::setText(TextField field, const std::string& text) {
  texts[field] = text;
  static const char* const names[] = {"text1", "text2", "text3", "text4"};
  log.push_back({names[static_cast<int>(field)], text, {}});
}
void RecordingFake::setFrame4Caption(const std::string& text) {
  frame4Caption = text;
  log.push_back({"frame4", text, {}});
}
void RecordingFake::setCommand3Caption(const std::string& text) {
  command3Caption = text;
  log.push_back({"command3", text, {}});
}
void RecordingFake::clearList() {
  list.clear();
  log.push_back({"list.clear", {}, {}});
}
void RecordingFake::appendToList(const std::string& entry) {
  list.push_back(entry);
  log.push_back({"list.append", entry, {}});
}

std::uint64_t RecordingFake::nextCount() {
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
