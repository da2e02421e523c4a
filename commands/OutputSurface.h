// The controls of the main window through which every command reads and reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "commands/CaptionReport.h"
#include "numbers/Uint128.h"

namespace teilomat {

class xTimer;

enum class TextField { Text1, Text2, Text3, Text4 };

// What a command may touch of the main window. All texts are UTF-8.
// Form1 implements it with widgets; the tests use a recording fake.
class OutputSurface {
 public:
  virtual ~OutputSurface() = default;

  // The window caption, as a report; its text is made when it is shown.
  // Cost: a copy of the report.
  virtual void setCaption(const CaptionReport& report) = 0;
  virtual void setLabel1(const std::string& text) = 0;  // result line
  virtual void setLabel2(const std::string& text) = 0;  // statistics line
  virtual std::string text(TextField field) const = 0;
  virtual void setText(TextField field, const std::string& text) = 0;
  virtual void setFrame4Caption(const std::string& caption) = 0;
  virtual void setCommand3Caption(const std::string& caption) = 0;
  virtual int check1Value() const = 0;  // 1 when checked

  // List1 holds primes as numbers (each below 2^96); their digits are
  // written only where someone sees them: a drawn row, the saved file.
  virtual void clearList() = 0;
  virtual void appendToList(uint128 prime) = 0;
  virtual std::size_t listCount() const = 0;
  virtual uint128 listEntry(std::size_t index) const = 0;

  // The window's one stopwatch, created on first use and kept for the
  // window's life. A command that runs inside another shares it.
  virtual xTimer& stopwatch() = 0;
};

}  // namespace teilomat
