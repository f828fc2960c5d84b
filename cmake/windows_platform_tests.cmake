# The statements about Win32 behaviour in tests/win32_behaviour, built for Windows as
# platform_tests.exe (in the build folder's top) so that they run against a real Win32
# implementation (Wine, in the e2e tests) exactly as they run against the headless platform.
# GoogleTest comes from Debian's source package, built here with the same cross compiler.

set(FRELLIS_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
file(GLOB WINDOWS_PLATFORM_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32_behaviour/*_test.cpp)

if(NOT WINDOWS_PLATFORM_TEST_SOURCES)
  return()
endif()
if(NOT EXISTS ${FRELLIS_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(STATUS "platform_tests.exe not built: no GoogleTest sources in ${FRELLIS_GOOGLETEST_SOURCE}")
  return()
endif()

# MinGW's win32 thread model lacks what GoogleTest's Notification uses; our customisation
# header replaces it, and must be found before GoogleTest's own (empty) one.
include_directories(BEFORE ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/gtest_mingw)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${FRELLIS_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(platform_tests ${WINDOWS_PLATFORM_TEST_SOURCES})
target_include_directories(platform_tests PRIVATE src tests)
target_link_libraries(platform_tests PRIVATE gtest gtest_main user32 gdi32 kernel32)
# One file that runs in any Wine prefix: the runtimes are linked in.
target_link_options(platform_tests PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(platform_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
