# Runs the native and the WebAssembly zintavel-framehash (or -soundhash) on the
# same presentation and fails unless every line is the same. The WebAssembly
# frames are compared twice: drawn by its vector kernels (which must be the ones
# it takes by itself) and by the plain references.
#   -DWHAT=frames|sound -DNODE= -DWASM= -DNATIVE= -DDEMO=
cmake_minimum_required(VERSION 3.25)

# Fails unless `got` (a hasher's output) has the lines of `native`, in any order.
function(compare_lines label native got)
  string(STRIP "${native}" native)
  string(STRIP "${got}" got)
  string(REPLACE "\n" ";" native_lines "${native}")
  string(REPLACE "\n" ";" got_lines "${got}")
  list(LENGTH native_lines n)
  list(LENGTH got_lines w)
  if(n LESS 3)
    message(FATAL_ERROR "native printed too little:\n${native}")
  endif()
  set(differ 0)
  foreach(line IN LISTS native_lines)
    list(FIND got_lines "${line}" at)
    if(at EQUAL -1)
      math(EXPR differ "${differ} + 1")
      if(differ LESS 5)
        message(STATUS "native only: ${line}")
      endif()
    endif()
  endforeach()
  if(NOT differ EQUAL 0 OR NOT n EQUAL w)
    message(FATAL_ERROR "${label}: ${differ} of ${n} native lines differ in the wasm build (${w} lines)")
  endif()
  message(STATUS "${label}: all ${n} lines equal")
endfunction()

# The kernels a framehash run names on stderr ("zintavel-framehash: NAME kernels").
function(kernels_of err out)
  if(err MATCHES "zintavel-framehash: ([A-Za-z0-9_]+) kernels")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "the hasher did not name its kernels:\n${err}")
  endif()
endfunction()

if(WHAT STREQUAL "frames")
  # Every phase: title card, part one, countdown, bridge, part two, closing.
  set(args frames ${DEMO} --fps 5 --quit-at 100000)
else()
  set(args ${DEMO} 8)
endif()
execute_process(COMMAND ${NATIVE} ${args} OUTPUT_VARIABLE native RESULT_VARIABLE native_rc ERROR_VARIABLE native_err)
execute_process(COMMAND ${NODE} ${WASM} ${args} OUTPUT_VARIABLE wasm RESULT_VARIABLE wasm_rc ERROR_VARIABLE wasm_err)
if(NOT native_rc EQUAL 0 OR NOT wasm_rc EQUAL 0)
  message(FATAL_ERROR "native exited ${native_rc}: ${native_err}\nwasm exited ${wasm_rc}: ${wasm_err}")
endif()
if(NOT WHAT STREQUAL "frames")
  compare_lines(${WHAT} "${native}" "${wasm}")
  return()
endif()

kernels_of("${native_err}" native_kernels)
kernels_of("${wasm_err}" wasm_kernels)
message(STATUS "kernels: native ${native_kernels}, wasm ${wasm_kernels}")
if(wasm_kernels STREQUAL "reference")
  message(FATAL_ERROR "the wasm build took the references: its vector kernels are missing")
endif()
compare_lines("frames (wasm ${wasm_kernels} kernels)" "${native}" "${wasm}")

execute_process(COMMAND ${NODE} ${WASM} ${args} --kernels reference
  OUTPUT_VARIABLE reference RESULT_VARIABLE reference_rc ERROR_VARIABLE reference_err)
kernels_of("${reference_err}" reference_kernels)
if(NOT reference_rc EQUAL 0 OR NOT reference_kernels STREQUAL "reference")
  message(FATAL_ERROR "wasm with --kernels reference exited ${reference_rc}: ${reference_err}")
endif()
compare_lines("frames (wasm reference kernels)" "${native}" "${reference}")
