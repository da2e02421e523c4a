// The desktop services of the platform the program is built for.
#pragma once

// The build compiles the matching implementation only (app/CMakeLists.txt).
#if defined(_WIN32)
#include "app/windows/TaskbarDesktop.h"
namespace teilomat {
using SystemDesktop = TaskbarDesktop;
}
#else
#include "app/DBusDesktop.h"
namespace teilomat {
using SystemDesktop = DBusDesktop;
}
#endif
