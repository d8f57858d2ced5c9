# platform.windows_sources_compile: the program's sources and resources compiled as for Windows by the
# MinGW-w64 cross compiler, syntax only, so the Windows-only branches are checked on every test run.

# The cross compiler must not see the host's /usr/include (its C library is not Windows'), so the two C
# libraries' headers are copied into a folder of their own.
set(PINLET_WINDOWS_LIBRARY_HEADERS ${PROJECT_BINARY_DIR}/windows-check/include)
find_file(PINLET_ZLIB_H zlib.h HINTS ${ZLIB_INCLUDE_DIRS} REQUIRED)
find_file(PINLET_ZCONF_H zconf.h HINTS ${ZLIB_INCLUDE_DIRS} REQUIRED)
find_file(PINLET_SQLITE3_H sqlite3.h HINTS ${SQLite3_INCLUDE_DIRS} REQUIRED)
foreach(header IN ITEMS ${PINLET_ZLIB_H} ${PINLET_ZCONF_H} ${PINLET_SQLITE3_H})
    get_filename_component(name ${header} NAME)
    configure_file(${header} ${PINLET_WINDOWS_LIBRARY_HEADERS}/${name} COPYONLY)
endforeach()

# Qt's header root: the parent of QtCore's folder.
get_target_property(qt_core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
list(FILTER qt_core_includes INCLUDE REGEX "/QtCore$")
list(GET qt_core_includes 0 qt_core_headers)
get_filename_component(PINLET_QT_HEADERS ${qt_core_headers} DIRECTORY)

list(JOIN PINLET_WINDOWS_DEFINITIONS " " windows_definitions)
add_test(NAME platform.windows_sources_compile
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/windows_sources_compile.sh
        ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${PINLET_QT_HEADERS} ${PINLET_WINDOWS_LIBRARY_HEADERS}
        ${PROJECT_BINARY_DIR}/pinlet.rc "${windows_definitions}")
# It keeps every core busy: ctest counts them, so no timed test runs starved beside it.
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
set_tests_properties(platform.windows_sources_compile PROPERTIES TIMEOUT 600 PROCESSORS ${cores}
    ENVIRONMENT "LC_ALL=C.UTF-8;PINLET_WINDOWS_CHECK_JOBS=${cores}")
