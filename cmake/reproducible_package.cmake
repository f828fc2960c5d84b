# The downloads, byte for byte the same from every build of one commit, and SHA256SUMS beside
# them. strip stamps frellis.scr with SOURCE_DATE_EPOCH (cmake/source_date_epoch.cmake), the setup
# keeps no file times (SetDateSave off), and packaging/finish_downloads.cmake gives the zip's
# entries that time and a fixed order, then writes the checksums. Included by
# windows_package.cmake.

find_program(FRELLIS_STRIP_NONDETERMINISM strip-nondeterminism)
set(CPACK_FRELLIS_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
set(CPACK_FRELLIS_STRIP_NONDETERMINISM ${FRELLIS_STRIP_NONDETERMINISM})
set(CPACK_FRELLIS_DOWNLOADS_DIR ${CMAKE_CURRENT_BINARY_DIR})
set(CPACK_FRELLIS_SETUP_STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/setup_strings.nsh)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/finish_downloads.cmake)
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_SOURCE_DIR}/resources/frellis.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_SOURCE_DIR}/resources/frellis.ico)
