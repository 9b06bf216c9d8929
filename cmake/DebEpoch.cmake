# Read by cpack (CPACK_PROJECT_CONFIG_FILE) before it builds the package:
# SOURCE_DATE_EPOCH from the last commit, so two builds of one commit give
# the same bytes. A value in the environment wins; outside a git checkout the
# package is stamped with the time it is built, and says so.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
execute_process(COMMAND git log -1 --format=%ct
                WORKING_DIRECTORY "${CPACK_SKYQUILL_SOURCE_DIR}"
                OUTPUT_VARIABLE _epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _rc ERROR_QUIET)
if(_rc EQUAL 0 AND _epoch MATCHES "^[0-9]+$")
  set(ENV{SOURCE_DATE_EPOCH} "${_epoch}")
else()
  message(WARNING "not a git checkout and no SOURCE_DATE_EPOCH: the package's timestamps are today's")
endif()
