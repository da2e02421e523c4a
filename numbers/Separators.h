// The user's number separators: how numbers are read from and written to text.
#pragma once

#include <string>

namespace teilomat {

// The decimal and thousands separators of the user's locale, as UTF-8 text
// (a locale may use a multi-byte separator such as U+00A0 or U+202F).
struct Separators {
  std::string decimal = ",";
  std::string thousands = ".";

  static Separators comma() { return {",", "."}; }  // German convention
  static Separators point() { return {".", ","}; }  // English convention
};

}  // namespace teilomat
