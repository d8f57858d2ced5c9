// Forced ahead of every source in the Windows check, so that MinGW's headers behave as the Windows SDK's
// do where the difference breaks a build: the SDK's min and max macros.
//
// MinGW's libstdc++ defines NOMINMAX in its configuration header, which every standard header includes, so
// a file that forgets NOMINMAX still compiles there. Only a NOMINMAX given on the command line or by the
// file itself may count: the one the library slipped in is taken back.
#ifdef NOMINMAX
#define PINLET_NOMINMAX_GIVEN
#endif
#include <bits/c++config.h>
#ifndef PINLET_NOMINMAX_GIVEN
#undef NOMINMAX
#endif
