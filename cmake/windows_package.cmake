# The downloads: `cmake --build --preset win32 --target package` makes
# frellis-<version>-windows.zip holding frellis.scr and README.txt, both at the top of the zip,
# and frellis-<version>-setup.exe, the NSIS setup from packaging/NSIS.template.in (makensis).
# Included by windows_executable.cmake for the 32-bit build only, the one that runs everywhere.

# The version block's 0.1.0.0.
set(FRELLIS_PACKAGE_VERSION 0.1.0)

# Notepad on older Windows shows a file with bare line feeds as one long line.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/README.txt
               ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS frellis RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt DESTINATION .)

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
