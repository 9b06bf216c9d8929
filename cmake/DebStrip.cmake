# Run by CPack before it builds the .deb (CPACK_PRE_BUILD_SCRIPTS). Strips the
# staged game as dh_strip would: the symbols, and the compiler's .comment and
# .note sections, which plain `strip` keeps and lintian reports.
file(GLOB_RECURSE _games LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/skyquill")
list(FILTER _games INCLUDE REGEX "/usr/lib/games/skyquill/skyquill$")
if(NOT _games)
  message(FATAL_ERROR "no lib/games/skyquill/skyquill under ${CPACK_TEMPORARY_INSTALL_DIRECTORY} to strip")
endif()
foreach(_game IN LISTS _games)
  execute_process(COMMAND "${CPACK_SKYQUILL_STRIP}" --remove-section=.comment --remove-section=.note "${_game}"
                  RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "strip ${_game} failed: ${_rc}")
  endif()
endforeach()
