// uint128: the native unsigned 128-bit integer that holds a 96-bit magnitude exactly.
#pragma once

namespace teilomat {

// GCC and Clang provide it on 64-bit targets; a 96-bit magnitude, a 128-by-64
// remainder and the candidates of a trial division all fit without carries.
using uint128 = unsigned __int128;

}  // namespace teilomat
