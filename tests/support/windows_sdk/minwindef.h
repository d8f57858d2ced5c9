// Found before MinGW's own minwindef.h in the Windows check. MinGW defines min and max only for C; the
// Windows SDK defines them for C++ too, unless NOMINMAX is set, and then `std::min(a, b)` and
// `numeric_limits<T>::max()` stop compiling. The same macros, defined the same way, show that here.
#pragma once
#include_next <minwindef.h>

#ifndef NOMINMAX
#ifndef max
#define max(a, b) (((a) > (b)) ? (a) : (b))
#endif
#ifndef min
#define min(a, b) (((a) < (b)) ? (a) : (b))
#endif
#endif
