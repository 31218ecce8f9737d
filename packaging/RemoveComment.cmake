# Run by CPack on the staged files before it packs them.
foreach(_bin IN LISTS CPACK_ORVANE_BINARIES)
  set(_file "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${_bin}")
  execute_process(COMMAND "${CPACK_ORVANE_OBJCOPY}" --remove-section=.comment "${_file}"
                  RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "objcopy could not remove .comment from ${_file}")
  endif()
endforeach()
