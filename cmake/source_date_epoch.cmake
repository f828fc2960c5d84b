# SOURCE_DATE_EPOCH, the time that the package's tools (strip, strip-nondeterminism) write
# wherever a file records when it was made: the caller's when set, else the time of the source
# tree's last commit, else a fixed one (a tree outside git). Included by CPack, for each package,
# from packaging/cpack_generator.cmake; CPACK_FRELLIS_SOURCE_DIR names the tree.

if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  execute_process(COMMAND git -C "${CPACK_FRELLIS_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE frellis_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE frellis_git_failed ERROR_QUIET)
  if(frellis_git_failed OR NOT frellis_epoch MATCHES "^[0-9]+$")
    # 2026-01-01 00:00 UTC.
    set(frellis_epoch 1767225600)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${frellis_epoch})
endif()
