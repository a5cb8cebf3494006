# A cross build's frames and sound against the native build's, run under the
# emulator: one truth, whatever the processor. The native build is the one
# whose presentation this build takes (ZINTAVEL_PRESENTATION = NATIVE/demo).
cmake_path(GET ZINTAVEL_PRESENTATION PARENT_PATH native_build)
set(compare ${CMAKE_CURRENT_SOURCE_DIR}/cross/compare_runs.cmake)
foreach(kernels best reference)
  add_test(NAME cross_same_frames_${kernels}
    COMMAND ${CMAKE_COMMAND} -DWHAT=frames -DKERNELS=${kernels} -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
      -DCROSS=$<TARGET_FILE:zintavel-framehash> -DNATIVE=${native_build}/tools/zintavel-framehash
      -DDEMO=${ZINTAVEL_PRESENTATION} -P ${compare})
endforeach()
add_test(NAME cross_same_module_sound
  COMMAND ${CMAKE_COMMAND} -DWHAT=sound -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
    -DCROSS=$<TARGET_FILE:zintavel-soundhash> -DNATIVE=${native_build}/tools/zintavel-soundhash
    -DDEMO=${ZINTAVEL_PRESENTATION} -P ${compare})
# The whole program records the whole show, as a user would run it.
add_test(NAME cross_same_recording
  COMMAND ${CMAKE_COMMAND} -DWHAT=recording -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
    -DCROSS=$<TARGET_FILE:zintavel> -DNATIVE=${native_build}/src/zintavel
    -DDEMO=${ZINTAVEL_PRESENTATION} -DOUT=${CMAKE_CURRENT_BINARY_DIR}/cross-recordings -P ${compare})
set_tests_properties(cross_same_frames_best cross_same_frames_reference cross_same_module_sound
  cross_same_recording PROPERTIES TIMEOUT 1200)
if(WIN32)
  # The program on a desktop: the message box of a lone zintavel.exe, and the set-up card's keys.
  add_test(NAME windows_desktop
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/cross/windows_desktop_test.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
      $<TARGET_FILE:zintavel> ${ZINTAVEL_PRESENTATION})
  set_tests_properties(windows_desktop PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
  # The video files: the same decoded frames as the native build's.
  foreach(form mkv mp4)
    add_test(NAME cross_same_video_${form}
      COMMAND ${CMAKE_COMMAND} -DFORM=${form} -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
        -DCROSS=$<TARGET_FILE:zintavel> -DNATIVE=${native_build}/src/zintavel -DDEMO=${ZINTAVEL_PRESENTATION}
        -DOUT=${CMAKE_CURRENT_BINARY_DIR}/cross-video-${form} -P ${CMAKE_CURRENT_SOURCE_DIR}/cross/compare_video.cmake)
  endforeach()
  add_test(NAME windows_zip_text_has_crlf
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DOUT=${CMAKE_CURRENT_BINARY_DIR}/zip-text
      -P ${CMAKE_CURRENT_SOURCE_DIR}/cross/zip_text.cmake)
  set_tests_properties(cross_same_video_mkv cross_same_video_mp4 PROPERTIES TIMEOUT 1200)
endif()
