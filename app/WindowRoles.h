// What a screen reader is told the two windows are: the main window a frame, the Info window a dialog.
#pragma once

namespace teilomat {

// Both windows are plain QWidgets with window flags, which Qt describes to
// assistive technology as a "client" area (AT-SPI "filler"): a screen reader
// then announces no window at all when one opens or gains the focus. The
// factory installed here gives them the roles of real windows instead:
// Form1 a frame (QAccessible::Window), Form2 a dialog, which Orca announces
// with the labels it holds, so that opening Info reads its text.
//
// The factory is asked once for each object a screen reader touches (Qt
// caches the answer) and costs a comparison of meta-objects; for every
// other class it declines and Qt's own interfaces apply.
class WindowRoles {
 public:
  // Installs the factory; idempotent, and without effect until an
  // assistive technology asks.
  static void install();
};

}  // namespace teilomat
