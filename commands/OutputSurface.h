// The controls of the main window through which every command reads and reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "numbers/Uint128.h"

namespace teilomat {

class xTimer;

enum class TextField { Text1, Text2, Text3, Text4 };

// A caption whose text is built only when someone can see it: the window
// shows its caption at event passes, so most captions of a long loop are
// overwritten unseen. `build` is a plain function of the recipe's values, so
// the surface may keep a recipe by value after its writer has moved on.
struct CaptionRecipe {
  std::string (*build)(const CaptionRecipe&) = nullptr;
  uint128 number = 0;
  double percent = 0;
  std::uint64_t count = 0;

  std::string text() const { return build(*this); }
};

// What a command may touch of the main window. All texts are UTF-8.
// Form1 implements it with widgets; the tests use a recording fake.
class OutputSurface {
 public:
  virtual ~OutputSurface() = default;

  virtual void setCaption(const std::string& caption) = 0;  // the window caption
  // The same caption, built later: at the latest when it is shown or
  // replaced by a text. By default it is built at once.
  virtual void setDeferredCaption(const CaptionRecipe& recipe) { setCaption(recipe.text()); }
  virtual void setLabel1(const std::string& text) = 0;      // result line
  virtual void setLabel2(const std::string& text) = 0;      // statistics line
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
