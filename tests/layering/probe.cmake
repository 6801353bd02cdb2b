# Builds one layering probe; see CMakeLists.txt.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(ALLOWED STREQUAL "yes")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "an include the layers allow did not build:\n${output}")
  endif()
elseif(status EQUAL 0)
  message(FATAL_ERROR "an include against the layers' direction built")
elseif(NOT output MATCHES "No such file or directory")
  message(FATAL_ERROR "the probe failed for another reason than the missing header:\n${output}")
endif()
