# Every target of the project builds clean under both compilers; a warning is a build failure.
function(pinlet_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    # GCC 12 reports -Wrestrict on inlined std::string copies at -O2 and above where no overlap can occur
    # (GCC bug 105329, fixed in 13); the warning would fail optimised builds for nothing.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
