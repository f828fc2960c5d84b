# The downloads: `cmake --build --preset win32 --target package` makes
# frellis-<version>-windows.zip, which holds README.txt and each build's frellis.scr in a folder
# named for the Windows it is for (32-bit/, 64-bit/), and frellis-<version>-setup.exe, the NSIS
# setup from packaging/NSIS.template.in (makensis), which carries both and installs one.
# Included by windows_executable.cmake for the 32-bit build, whose folder the package is made in.

# The version block's 0.1.0.0.
set(FRELLIS_PACKAGE_VERSION 0.1.0)

# Notepad on older Windows shows a file with bare line feeds as one long line.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/README.txt
               ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt DESTINATION .)

# The 64-bit saver, from the same sources with the 64-bit toolchain, in a folder inside this one
# (so whatever holds this folder holds it too). Built when the package is staged, not with every
# build of the 32-bit one, and installed stripped, as CPack strips the 32-bit saver.
set(FRELLIS_WIN64_DIR ${CMAKE_CURRENT_BINARY_DIR}/win64)
install(CODE "
  if(NOT EXISTS \"${FRELLIS_WIN64_DIR}/CMakeCache.txt\")
    execute_process(COMMAND \"${CMAKE_COMMAND}\" -S \"${CMAKE_CURRENT_SOURCE_DIR}\"
                            -B \"${FRELLIS_WIN64_DIR}\" -G \"${CMAKE_GENERATOR}\"
                            --toolchain \"${CMAKE_CURRENT_SOURCE_DIR}/cmake/mingw-x86_64.cmake\"
                            -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DFRELLIS_MEASUREMENT=OFF
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(COMMAND \"${CMAKE_COMMAND}\" --build \"${FRELLIS_WIN64_DIR}\" --target frellis
                          --parallel 2
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND \"${CMAKE_COMMAND}\" --install \"${FRELLIS_WIN64_DIR}\" --strip
                          --prefix \"\${CMAKE_INSTALL_PREFIX}\"
                  COMMAND_ERROR_IS_FATAL ANY)
")

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME frellis)
set(CPACK_PACKAGE_VENDOR Frellis)
set(CPACK_PACKAGE_VERSION ${FRELLIS_PACKAGE_VERSION})
set(CPACK_PACKAGE_FILE_NAME frellis-${FRELLIS_PACKAGE_VERSION}-windows)
# The setup's own name; CPack reads this file once per generator.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/cpack_generator.cmake)
# CPack takes NSIS.template.in from its module path before its own.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(cmake/reproducible_package.cmake)
include(CPack)
