// The program's own window icon.
#pragma once

#include <QIcon>

namespace teilomat {

// Built from an XPM in the binary; cheap enough to call per window.
QIcon teilomatIcon();

}  // namespace teilomat
