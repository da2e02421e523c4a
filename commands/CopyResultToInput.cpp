// Command3: copies the result field into the input field, unchanged.
#include "commands/Commands.h"

namespace teilomat {

void copyResultToInput(OutputSurface& out, PlatformServices&) {
  out.setText(TextField::Text1, out.text(TextField::Text2));
}

}  // namespace teilomat
