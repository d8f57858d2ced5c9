# Every target of the project builds clean under both compilers; a warning is a build failure.
function(pinlet_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
