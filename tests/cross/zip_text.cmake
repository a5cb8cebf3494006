# The zip's text files have Windows' line ends: cpack makes a zip of the
# build as it is, and its README.txt and LICENSE.txt hold CR LF and no bare LF.
#   -DBUILD=build-dir -DOUT=dir
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config ${BUILD}/CPackConfig.cmake -B ${OUT}
  RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
file(GLOB zip ${OUT}/*.zip)
if(NOT rc EQUAL 0 OR NOT zip)
  message(FATAL_ERROR "cpack made no zip (exit ${rc}): ${said}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc)
foreach(name README.txt LICENSE.txt)
  file(GLOB text ${OUT}/*/${name})
  if(NOT rc EQUAL 0 OR NOT text)
    message(FATAL_ERROR "${zip}: no ${name} in it")
  endif()
  file(READ ${text} hex HEX)
  # One byte a word, so a match cannot straddle two bytes.
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  string(REGEX MATCHALL "0a " lf "${bytes}")
  string(REGEX MATCHALL "0d 0a " crlf "${bytes}")
  list(LENGTH lf n)
  list(LENGTH crlf c)
  if(c EQUAL 0 OR NOT n EQUAL c)
    math(EXPR bare "${n} - ${c}")
    message(FATAL_ERROR "${name} in the zip: ${c} CR LF line ends, ${bare} bare LF")
  endif()
endforeach()
file(REMOVE_RECURSE ${OUT})
