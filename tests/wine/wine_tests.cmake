# Running the Windows build's tests under Wine (wine64 for the x86_64 build): GoogleTest
# built from Debian's sources for the target, and every test program started through
# run-under-wine.sh in a prefix of its own in the build tree.
set(QUILLON_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian googletest)")
set(QUILLON_WINE_LOADER /usr/lib/wine/wine64 CACHE FILEPATH "The Wine loader that runs the tests")
set(QUILLON_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix CACHE PATH "The Wine prefix of the tests")
set(QUILLON_WINE_RESULTS ${CMAKE_BINARY_DIR}/wine-results)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUILLON_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest is not held to this project's warning options.
set_target_properties(gtest gtest_main PROPERTIES COMPILE_OPTIONS "")

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh ${QUILLON_WINE_LOADER} ${QUILLON_WINE_PREFIX})
set(QUILLON_WINE_RUN ${CMAKE_CROSSCOMPILING_EMULATOR})

# A path of this machine as a Windows program under Wine sees it (drive Z: is /).
function(quillon_wine_path out path)
  string(REPLACE "/" "\\" windows_path "Z:${path}")
  set(${out} "${windows_path}" PARENT_SCOPE)
endfunction()

# The prefix is made once, before any test starts a Windows program in it.
add_test(NAME wine_prefix COMMAND ${QUILLON_WINE_RUN} cmd /c exit 0)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 180)

# One ctest test per program (a Wine start costs about a second); GoogleTest writes
# each program's cases, skips and their reasons to wine-results/ for the summary.
function(quillon_add_wine_test name)
  quillon_wine_path(results "${QUILLON_WINE_RESULTS}/")
  add_test(NAME ${name} COMMAND ${name} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix TIMEOUT 300
                       ENVIRONMENT "GTEST_OUTPUT=xml:${results}")
endfunction()
