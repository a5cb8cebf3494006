# The browser build, configured by scripts/web with emscripten: the core (its
# Highway kernels on WebAssembly SIMD), our browser platform layer, the core's
# tests and the frame/sound comparisons run under node, and the page.
set(ZINTAVEL_WEB_PREFIX "" CACHE PATH "Where scripts/web installed the libraries built with emscripten")
set(ZINTAVEL_NATIVE_BUILD "" CACHE PATH "The native build tree (its tools and its generated presentation)")
if(NOT ZINTAVEL_WEB_PREFIX OR NOT ZINTAVEL_NATIVE_BUILD)
  message(FATAL_ERROR "configure the browser build through scripts/web")
endif()
set(ZINTAVEL_DEMO_DIR ${ZINTAVEL_NATIVE_BUILD}/demo)

# The libraries as the native build names them.
function(zintavel_web_library name lib)
  add_library(${name} INTERFACE IMPORTED)
  set_target_properties(${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${ZINTAVEL_WEB_PREFIX}/include
    INTERFACE_LINK_LIBRARIES ${ZINTAVEL_WEB_PREFIX}/lib/${lib})
endfunction()
zintavel_web_library(PkgConfig::JPEG libjpeg.a)
zintavel_web_library(PkgConfig::OPENMPT libopenmpt.a)
zintavel_web_library(PkgConfig::MPG123 libmpg123.a)
zintavel_web_library(ZintavelWebGTest libgtest.a)
zintavel_web_library(PkgConfig::HWY libhwy.a)
zintavel_web_library(ZintavelWebGTestMain libgtest_main.a)

add_subdirectory(src)
# The core's Highway kernels for WebAssembly's 128-bit SIMD: their one vector
# target (WASM) is then the default, as the best x86 target is natively.
foreach(library IN LISTS ZINTAVEL_CORE_LIBRARIES)
  target_compile_options(${library} PRIVATE -msimd128)
endforeach()

# The static buffers alone need more than emscripten's default 16 MB.
set(web_memory -sINITIAL_MEMORY=67108864 -sALLOW_MEMORY_GROWTH=1)
# Programs run under node see the real file system.
set(web_node -sNODERAWFS=1 -sEXIT_RUNTIME=1 ${web_memory})

# The sound layer opens its files through the loaders' safe file reader.
add_library(zintavel_web_audio_engine STATIC src/sound/audio_engine.cpp src/sound/module_checkpoints.cpp src/assets/data_file.cpp
  src/assets/report.cpp
  src/assets/module_check.cpp)
target_include_directories(zintavel_web_audio_engine PUBLIC src)
target_link_libraries(zintavel_web_audio_engine PUBLIC PkgConfig::OPENMPT PkgConfig::MPG123)

# --- under node: the core's tests, and the frame and sound comparisons ---------
add_executable(zintavel_web_tests
  tests/support/test_support.cpp
  tests/pixel/colour_test.cpp
  tests/pixel/span_kernels_test.cpp
  tests/pixel/sprite_test.cpp
  tests/pixel/box_blur_test.cpp
  tests/pixel/zoom_blur_test.cpp
  tests/pixel/random_test.cpp
  tests/assets/pcx_test.cpp
  tests/assets/jpeg_test.cpp
  tests/assets/font_test.cpp
  tests/assets/loading_test.cpp
  tests/grid/grid_test.cpp
  tests/grid/raycast_test.cpp
  tests/choreo/key_tracks_test.cpp
  tests/scenes/scenes_test.cpp
  tests/display/presenter_test.cpp
  tests/show/master_sequence_test.cpp
  tests/app/options_test.cpp
  tools/lib/pcx_writer.cpp
  tools/lib/jpeg_writer.cpp
)
target_include_directories(zintavel_web_tests PRIVATE tests tools/lib)
target_link_libraries(zintavel_web_tests PRIVATE zintavel_app PkgConfig::JPEG ZintavelWebGTestMain ZintavelWebGTest)
target_compile_definitions(zintavel_web_tests PRIVATE
  ZINTAVEL_DEMO_DIR="${ZINTAVEL_DEMO_DIR}" ZINTAVEL_DATAGEN="false" ZINTAVEL_BINARY="false")
target_link_options(zintavel_web_tests PRIVATE ${web_node})

add_executable(zintavel-framehash tools/framehash/main.cpp)
target_link_libraries(zintavel-framehash PRIVATE zintavel_app)
target_link_options(zintavel-framehash PRIVATE ${web_node})
add_executable(zintavel-soundhash tools/framehash/soundhash.cpp)
target_link_libraries(zintavel-soundhash PRIVATE zintavel_web_audio_engine)
target_link_options(zintavel-soundhash PRIVATE ${web_node})

enable_testing()
find_program(NODE node REQUIRED)
# GoogleTest's capture of stderr (dup2 over fd 2) does not reach emscripten's
# stderr under node, so the cases that read what a loader said run natively only.
set(web_no_capture PcxTest.BrokenFilesDecodeWhatIsThereAndSaySo JpegTest.BadFilesLeaveTheDestinationAndSayWhy
  FontTest.ExtraMarkersAreIgnoredOnceAndAMissingSheetHasNoGlyphs LoadingTest.MissingDataDirectoryStopsWithOneLine
  LoadingTest.LongTickerIsCutAtItsStoreAndAtItsWidth LoadingTest.PagesStylesOrdersAndSplits LoadingTest.PageFileLimits
  MasterSequenceTest.FatalMessages)
list(JOIN web_no_capture ":" web_no_capture)
add_test(NAME web_core_tests COMMAND ${NODE} --no-experimental-fetch $<TARGET_FILE:zintavel_web_tests>
  --gtest_filter=-${web_no_capture})
foreach(what frame sound)
  add_test(NAME web_same_${what}s
    COMMAND ${CMAKE_COMMAND} -DWHAT=${what}s "-DNODE=${NODE};--no-experimental-fetch" -DWASM=$<TARGET_FILE:zintavel-${what}hash>
      -DNATIVE=${ZINTAVEL_NATIVE_BUILD}/tools/zintavel-${what}hash -DDEMO=${ZINTAVEL_DEMO_DIR}
      -P ${CMAKE_SOURCE_DIR}/web/compare_hashes.cmake)
endforeach()

include(web/page.cmake OPTIONAL)
