# Every target of the project builds clean under each compiler; a warning is a build failure.
function(pinlet_warnings target)
    if(MSVC)
        # cl (and clang-cl) take their own spelling; /permissive- holds them to the standard as GCC does.
        target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
        return()
    endif()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    # GCC 12 reports -Wrestrict on inlined std::string copies at -O2 and above where no overlap can occur
    # (GCC bug 105329, fixed in 13); the warning would fail optimised builds for nothing.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()

if(MSVC)
    # The sources are UTF-8 (Hungarian texts in literals). Qt gives its own targets /utf-8, but the portable
    # layers and the tools link no Qt, and cl would read their literals in the ANSI code page.
    add_compile_options(/utf-8)
    # The portable layers use the standard C library as the standard defines it (fopen, strerror); the
    # runtime's "use the _s variant" advice is not a fault there.
    add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
endif()
