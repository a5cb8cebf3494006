# Runs the native and the WebAssembly zintavel-framehash (or -soundhash) on the
# same presentation and fails unless every line is the same. The WebAssembly
# frames are compared twice: drawn by its vector kernels (which must be the ones
# it takes by itself) and by the plain references.
#   -DWHAT=frames|sound -DNODE= -DWASM= -DNATIVE= -DDEMO=
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/compare_hash_runs.cmake)

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
# The hashers print their kernels on stderr: kept for kernels_of.
run_hash_pair(NATIVE ${NATIVE} ${args} OTHER ${NODE} ${WASM} ${args} OTHER_NAME wasm CAPTURE_STDERR)
# Three lines at least: a hasher that stopped at once is no comparison.
set(same OTHER_NAME wasm MIN_LINES 3)
if(NOT WHAT STREQUAL "frames")
  compare_hash_lines(LABEL ${WHAT} NATIVE "${native_out}" OTHER "${other_out}" ${same})
  return()
endif()

kernels_of("${native_err}" native_kernels)
kernels_of("${other_err}" wasm_kernels)
message(STATUS "kernels: native ${native_kernels}, wasm ${wasm_kernels}")
if(wasm_kernels STREQUAL "reference")
  message(FATAL_ERROR "the wasm build took the references: its vector kernels are missing")
endif()
compare_hash_lines(LABEL "frames (wasm ${wasm_kernels} kernels)" NATIVE "${native_out}" OTHER "${other_out}" ${same})

execute_process(COMMAND ${NODE} ${WASM} ${args} --kernels reference
  OUTPUT_VARIABLE reference RESULT_VARIABLE reference_rc ERROR_VARIABLE reference_err)
kernels_of("${reference_err}" reference_kernels)
if(NOT reference_rc EQUAL 0 OR NOT reference_kernels STREQUAL "reference")
  message(FATAL_ERROR "wasm with --kernels reference exited ${reference_rc}: ${reference_err}")
endif()
compare_hash_lines(LABEL "frames (wasm reference kernels)" NATIVE "${native_out}" OTHER "${reference}" ${same})
