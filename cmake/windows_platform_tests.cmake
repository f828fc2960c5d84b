# Two GoogleTest executables for Windows, in the build folder's top, run under Wine by the e2e
# tests:
# - platform_tests.exe: the statements about Win32 behaviour in tests/win32_behaviour, so that
#   they run against a real Win32 implementation exactly as they run against the headless
#   platform;
# - wine_tests.exe: the product library with the product's resources, tested in tests/wine on the
#   real window system (the saver window, the animation on a window, the configuration dialog).
# GoogleTest comes from Debian's source package, built here with the same cross compiler.

set(FRELLIS_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
file(GLOB WINDOWS_PLATFORM_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32_behaviour/*_test.cpp)
file(GLOB WINDOWS_WINE_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/*_test.cpp)

if(NOT WINDOWS_PLATFORM_TEST_SOURCES AND NOT WINDOWS_WINE_TEST_SOURCES)
  return()
endif()
if(NOT EXISTS ${FRELLIS_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(STATUS "Windows test executables not built: no GoogleTest sources in ${FRELLIS_GOOGLETEST_SOURCE}")
  return()
endif()

# MinGW's win32 thread model lacks what GoogleTest's Notification uses; our customisation
# header replaces it, and must be found before GoogleTest's own (empty) one.
include_directories(BEFORE ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/gtest_mingw)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${FRELLIS_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

if(WINDOWS_PLATFORM_TEST_SOURCES)
  add_executable(platform_tests ${WINDOWS_PLATFORM_TEST_SOURCES})
  target_include_directories(platform_tests PRIVATE src tests)
  target_link_libraries(platform_tests PRIVATE gtest gtest_main user32 gdi32 kernel32)
  # One file that runs in any Wine prefix: the runtimes are linked in.
  target_link_options(platform_tests PRIVATE -static -static-libgcc -static-libstdc++)
  set_target_properties(platform_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()

# The resource object and the COMCTL32 import library are the product's own
# (cmake/windows_executable.cmake), so the tests open the very dialog template the saver ships.
if(WINDOWS_WINE_TEST_SOURCES AND TARGET frellis)
  add_executable(wine_tests ${WINDOWS_WINE_TEST_SOURCES} ${FRELLIS_RES_OBJECT})
  add_dependencies(wine_tests comctl32_ordinal)
  target_include_directories(wine_tests PRIVATE src tests)
  target_link_libraries(wine_tests PRIVATE frellis_core gtest gtest_main ${COMCTL32_IMPLIB}
                        user32 gdi32 advapi32 imm32 kernel32)
  target_link_options(wine_tests PRIVATE -static -static-libgcc -static-libstdc++)
  set_target_properties(wine_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
