# What every Windows target compiles with. NOMINMAX keeps the SDK's min and max macros away from
# std::min and numeric_limits<>::max (MinGW's headers do not define them for C++, the Windows SDK does);
# WIN32_LEAN_AND_MEAN leaves out what no file here uses (a file that needs shellapi.h includes it); the
# Win32 calls take wide strings under their plain names. The Windows check compiles with the same list.
set(PINLET_WINDOWS_DEFINITIONS NOMINMAX WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
if(WIN32)
    add_compile_definitions(${PINLET_WINDOWS_DEFINITIONS})
endif()
