# Byte-identical rebuilds: no path of the source or build folder in the objects, and no link time
# in the executable's header (the package's strip writes SOURCE_DATE_EPOCH there instead).
# Included by the cross toolchain files.
get_filename_component(FRELLIS_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(FRELLIS_PREFIX_MAPS "-ffile-prefix-map=${FRELLIS_SOURCE_ROOT}=.")
if(CMAKE_BINARY_DIR)
  string(APPEND FRELLIS_PREFIX_MAPS " -ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
endif()
set(CMAKE_C_FLAGS_INIT "${FRELLIS_PREFIX_MAPS}")
set(CMAKE_CXX_FLAGS_INIT "${FRELLIS_PREFIX_MAPS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
