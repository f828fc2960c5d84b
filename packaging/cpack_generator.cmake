include(${CPACK_FRELLIS_SOURCE_DIR}/cmake/source_date_epoch.cmake)
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "frellis-${CPACK_PACKAGE_VERSION}-setup")
endif()
