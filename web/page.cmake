# The page: the show's module (the frame loop kept as it is, unwound at every
# flip by Asyncify) and the audio thread's module (the sound layer, run by the
# processor in web/audio_processor.js). scripts/web copies them beside
# web/index.html and web/page.js.
add_executable(zintavel-web src/app/web_main.cpp src/platform/web_platform.cpp src/player/seek_overlay.cpp)
target_link_libraries(zintavel-web PRIVATE zintavel_app)
set_target_properties(zintavel-web PROPERTIES OUTPUT_NAME zintavel)
target_link_options(zintavel-web PRIVATE ${web_memory}
  -sENVIRONMENT=web -sASYNCIFY -sASYNCIFY_IMPORTS=[zw_wait_frame,zw_yield]
  -sFORCE_FILESYSTEM=1 -sINVOKE_RUN=0 -sEXPORTED_RUNTIME_METHODS=[FS,callMain])

add_executable(zintavel-audio src/sound/web_audio.cpp)
target_link_libraries(zintavel-audio PRIVATE zintavel_web_audio_engine)
set_property(TARGET zintavel-audio APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/web/audio_processor.js)
# Its memory holds the decoded stream (26 MB), the module playing and the one
# kept for a seek ahead, and the parked instances (36 MB, 4.1 MB each): 86 MB
# measured once all are built. It starts with room for them, so the audio
# thread does not grow its memory while it plays.
target_link_options(zintavel-audio PRIVATE -sINITIAL_MEMORY=100663296 -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=shell -sMODULARIZE=1 -sEXPORT_NAME=ZintavelAudio -sFORCE_FILESYSTEM=1
  -sEXPORTED_RUNTIME_METHODS=[FS,ccall]
  "SHELL:--extern-post-js ${CMAKE_SOURCE_DIR}/web/audio_processor.js")

# The page in headless Chromium, once scripts/web has put it together in build-web/.
get_filename_component(web_site ${CMAKE_BINARY_DIR} DIRECTORY)
add_test(NAME web_page COMMAND ${NODE} ${CMAKE_SOURCE_DIR}/web/tests/page_test.cjs ${web_site}
  ${ZINTAVEL_NATIVE_BUILD}/tools/zintavel-framehash ${ZINTAVEL_DEMO_DIR} ${CMAKE_BINARY_DIR}/page-shots)
set_tests_properties(web_page PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
