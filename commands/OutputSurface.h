// The controls of the main window through which every command reads and reports.
#pragma once

#include <cstddef>
#include <string>

namespace teilomat {

class xTimer;

enum class TextField { Text1, Text2, Text3, Text4 };

// What a command may touch of the main window. All texts are UTF-8.
// Form1 implements it with widgets; the tests use a recording fake.
class OutputSurface {
 public:
  virtual ~OutputSurface() = default;

  virtual void setCaption(const std::string& caption) = 0;  // the window caption
  virtual void setLabel1(const std::string& text) = 0;      // result line
  virtual void setLabel2(const std::string& text) = 0;      // statistics line
  virtual std::string text(TextField field) const = 0;
  virtual void setText(TextField field, const std::string& text) = 0;
  virtual void setFrame4Caption(const std::string& caption) = 0;
  virtual void setCommand3Caption(const std::string& caption) = 0;
  virtual int check1Value() const = 0;  // 1 when checked

  virtual void clearList() = 0;
  virtual void appendToList(const std::string& entry) = 0;
  virtual std::size_t listCount() const = 0;
  virtual std::string listEntry(std::size_t index) const = 0;

  // The window's one stopwatch, created on first use and kept for the
  // window's life. A command that runs inside another shares it.
  virtual xTimer& stopwatch() = 0;
};

}  // namespace teilomat
