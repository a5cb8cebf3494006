# The Windows build's video files against the native build's: both programs
# record the same few seconds to FORM (mkv or mp4), the native ffmpeg decodes
# both, and every decoded frame must match. The .mp4 must be the copy with
# its index first, and the closing line must count the frames the file holds.
#   -DFORM=mkv|mp4 -DEMULATOR= -DCROSS= -DNATIVE= -DDEMO= -DOUT=dir
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/compare_hash_runs.cmake)

find_program(FFMPEG ffmpeg REQUIRED)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
# A span with motion, small and short: the encoders' work is what is compared.
set(args --dir ${DEMO} --fps 10 --scale 1 --start-at 41 --stop-at 44)
execute_process(COMMAND ${NATIVE} --record ${OUT}/native.${FORM} ${args} RESULT_VARIABLE native_rc ERROR_VARIABLE native_err)
execute_process(COMMAND ${EMULATOR} ${CROSS} --record ${OUT}/cross.${FORM} ${args} RESULT_VARIABLE cross_rc ERROR_VARIABLE cross_err)
if(NOT native_rc EQUAL 0 OR NOT cross_rc EQUAL 0)
  message(FATAL_ERROR "native exited ${native_rc}: ${native_err}\ncross exited ${cross_rc}: ${cross_err}")
endif()

# Each decoded picture's checksum with its time, as the native ffmpeg sees it.
function(decoded_frames file out)
  execute_process(COMMAND ${FFMPEG} -v error -i ${file} -map 0:v:0 -f framemd5 -
    OUTPUT_VARIABLE lines ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${file}: ffmpeg cannot decode it: ${err}")
  endif()
  string(REGEX REPLACE "#[^\n]*\n" "" lines "${lines}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()
decoded_frames(${OUT}/native.${FORM} native)
decoded_frames(${OUT}/cross.${FORM} cross)
compare_hash_lines(LABEL ${FORM} NATIVE "${native}" OTHER "${cross}" OTHER_NAME cross MIN_LINES 20)

# The closing line's count is the file's, as read back.
string(REGEX MATCH "\\(([0-9]+) frames of" said "${cross_err}")
set(count "${CMAKE_MATCH_1}")  # the next regular expression clears it
string(STRIP "${cross}" cross)
string(REGEX MATCHALL "\n" breaks "${cross}\n")
list(LENGTH breaks decoded)
if(NOT said OR NOT count EQUAL decoded)
  message(FATAL_ERROR "${FORM}: the closing line says '${said}', the file holds ${decoded} frames:\n${cross_err}")
endif()

if(FORM STREQUAL "mp4")
  # The top-level boxes: ftyp, then moov, and no fragment (moof) left.
  file(SIZE ${OUT}/cross.mp4 size)
  set(boxes "")
  set(at 0)
  while(at LESS size)
    file(READ ${OUT}/cross.mp4 head OFFSET ${at} LIMIT 8 HEX)
    string(SUBSTRING "${head}" 0 8 length)
    string(SUBSTRING "${head}" 8 8 type)
    math(EXPR length "0x${length}")
    list(APPEND boxes ${type})
    if(length LESS 8)  # a 64-bit or to-the-end size: the last box here
      break()
    endif()
    math(EXPR at "${at} + ${length}")
  endwhile()
  string(REPLACE "6d6f6f66" "moof" boxes "${boxes}")
  list(SUBLIST boxes 0 2 first)
  if(NOT first STREQUAL "66747970;6d6f6f76" OR boxes MATCHES "moof")
    message(FATAL_ERROR "mp4: not the copy with the index first (ftyp, then moov, no moof): ${boxes}")
  endif()
  file(GLOB left ${OUT}/.partial-*)
  if(left)
    message(FATAL_ERROR "mp4: the copy was left beside the file: ${left}")
  endif()
endif()
file(REMOVE_RECURSE ${OUT})
