# Run by CPack after each package is made, before it is copied beside the build: the zip's entries
# get the time SOURCE_DATE_EPOCH, a fixed order and fixed attributes (libarchive writes each
# file's own time and mode), then SHA256SUMS lists every download made so far, in sha256sum's
# format, sorted by name. The setup comes last, so the file is complete when the package target
# ends.

foreach(package ${CPACK_PACKAGE_FILES})
  if(package MATCHES "\\.zip$")
    if(NOT CPACK_FRELLIS_STRIP_NONDETERMINISM)
      message(FATAL_ERROR "strip-nondeterminism is missing: scripts/install-deps.sh windows")
    endif()
    execute_process(COMMAND ${CPACK_FRELLIS_STRIP_NONDETERMINISM} --type zip
                            --timestamp $ENV{SOURCE_DATE_EPOCH} ${package}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "strip-nondeterminism failed on ${package}")
    endif()
  endif()
endforeach()

set(sums_file ${CPACK_FRELLIS_DOWNLOADS_DIR}/SHA256SUMS)
set(made "")
set(entries "")
foreach(package ${CPACK_PACKAGE_FILES})
  get_filename_component(name ${package} NAME)
  file(SHA256 ${package} sum)
  list(APPEND made ${name})
  list(APPEND entries "${name}|${sum}")
endforeach()
# The earlier packages' lines, but for those of a download that this package replaces.
if(EXISTS ${sums_file})
  file(STRINGS ${sums_file} lines)
  foreach(line ${lines})
    string(REGEX MATCH "^([0-9a-f]+)  (.+)$" matched "${line}")
    if(matched AND NOT CMAKE_MATCH_2 IN_LIST made
       AND EXISTS ${CPACK_FRELLIS_DOWNLOADS_DIR}/${CMAKE_MATCH_2})
      list(APPEND entries "${CMAKE_MATCH_2}|${CMAKE_MATCH_1}")
    endif()
  endforeach()
endif()
list(SORT entries)
set(text "")
foreach(entry ${entries})
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 sum)
  string(APPEND text "${sum}  ${name}\n")
endforeach()
file(WRITE ${sums_file} "${text}")
