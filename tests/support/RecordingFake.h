// A recording stand-in for the main window and the platform services.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"
#include "numbers/Uint128Text.h"
#include "timing/xTimer.h"

namespace teilomat::testing {

// One logged write or call, e.g. {"caption", "Teilomat - (11 ist Prim)"} (a
// caption report is logged as the text the window would show),
// {"beep", ""}, {"messageBox", text, title}, {"list.append", "11"}.
struct Event {
  std::string what;
  std::string text;
  std::string extra;  // message box title, input box position "left,top"
  bool operator==(const Event&) const = default;
};

// Implements both interfaces. Every write and every service call is logged
// in order; reads are not. Dialogs answer from a script; code can be run at
// the k-th event-processing pass (counted from 1 over the fake's life).
class RecordingFake : public OutputSurface, public PlatformServices {
 public:
  RecordingFake();

  // OutputSurface: every write is kept in its field and logged.
  void setCaption(const CaptionReport& report) override {
    lastReport = report;
    record("caption", caption, captionText(report, locale));
  }
  void setLabel1(const std::string& text) override { record("label1", label1, text); }
  void setLabel2(const std::string& text) override { record("label2", label2, text); }
  std::string text(TextField field) const override;
  void setText(TextField field, const std::string& text) override;
  void setFrame4Caption(const std::string& text) override { record("frame4", frame4Caption, text); }
  void setCommand3Caption(const std::string& text) override { record("command3", command3Caption, text); }
  int check1Value() const override { return check1; }
  void clearList() override {
    list.clear();
    log.push_back({"list.clear", {}, {}});
  }
  void appendToList(uint128 prime) override {
    list.push_back(prime);
    log.push_back({"list.append", toDecimalText(prime), {}});
  }
  std::size_t listCount() const override { return list.size(); }
  uint128 listEntry(std::size_t index) const override { return list.at(index); }
  xTimer& stopwatch() override;

  // PlatformServices
  void messageBox(const std::string& text, const std::string& title) override;
  std::string inputBox(const std::string& prompt, int leftTwips, int topTwips) override;
  void beep() override;
  void processEvents() override;
  Separators separators() const override { return locale; }
  std::uint64_t eventPassStride() const override { return stride; }
  bool passesByClock() const override { return clockLike; }

  // Scripting.
  void answerInputBox(std::string answer) { inputAnswers.push_back(std::move(answer)); }
  void atPass(std::uint64_t k, std::function<void()> action) { passActions[k] = std::move(action); }
  // A press during the k-th pass: Text1 becomes `text1`, then `command` runs
  // inside that pass, as a button's command would.
  void typeAndPressAt(std::uint64_t k, std::string text1, std::function<void()> command) {
    atPass(k, [this, text1 = std::move(text1), command = std::move(command)] {
      texts[TextField::Text1] = text1;
      command();
    });
  }
  // Feeds the stopwatch: each counter read returns the next value; when the
  // list runs out, reads go on in steps of `counterStep` from the last value.
  void feedCounter(std::vector<std::uint64_t> values) { counterValues.assign(values.begin(), values.end()); }

  // Inspection.
  std::vector<std::string> captions() const;  // every caption written, in order
  std::vector<Event> eventsNamed(const std::string& what) const;
  std::size_t count(const std::string& what) const { return eventsNamed(what).size(); }
  // Index of the first logged event that matches `what` (and text, when given); -1 if none.
  long indexOf(const std::string& what, const std::optional<std::string>& text = std::nullopt) const;
  void clearLog() { log.clear(); }

  // State, freely set by tests.
  std::map<TextField, std::string> texts;
  std::string caption = "Teilomat ";
  CaptionReport lastReport;
  std::string label1, label2, frame4Caption, command3Caption;
  int check1 = 1;
  std::vector<uint128> list;
  Separators locale = Separators::comma();
  std::uint64_t stride = 1;
  // Passes as the real window's: decided by a clock, so a long trial
  // division may be split over the worker threads and pass at their chunks.
  bool clockLike = false;
  std::uint64_t passes = 0;
  std::uint64_t counterStep = 1000;  // 1 microsecond at the fake's 1e9 frequency
  std::deque<std::string> inputAnswers;
  std::deque<std::uint64_t> counterValues;
  // The log's length at each read of the stopwatch's counter: a read at k
  // came after the first k logged events.
  std::vector<std::size_t> counterReadAt;
  std::map<std::uint64_t, std::function<void()>> passActions;
  std::vector<Event> log;

 private:
  void record(const char* what, std::string& field, const std::string& text) {
    field = text;
    log.push_back({what, text, {}});
  }
  std::uint64_t nextCount();
  std::uint64_t lastCount_ = 0;
  std::unique_ptr<xTimer> timer_;
};

}  // namespace teilomat::testing
