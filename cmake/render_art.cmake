# Renders one picture of the default presentation from its source:
#   cmake -DSOURCE=x.pov|x.svg -DOUTPUT=x.png -DWIDTH=w -DHEIGHT=h [-DALPHA=ON]
#         -DINCLUDES=dir -DPOVRAY=path -DRSVG=path -P render_art.cmake
# POV-Ray reads and writes only under its working directory (Debian's I/O
# restrictions), so the scene and the shared includes are copied into a
# directory of its own beside the output. Renders are deterministic: one
# thread, non-jittered adaptive anti-aliasing. The renderer's chatter is shown
# only when it fails.
get_filename_component(name "${SOURCE}" NAME_WE)
get_filename_component(ext "${SOURCE}" EXT)
get_filename_component(outdir "${OUTPUT}" DIRECTORY)
if(ext STREQUAL ".pov")
  set(work "${outdir}/render-${name}")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")
  file(GLOB includes "${INCLUDES}/*.inc")
  file(COPY "${SOURCE}" ${includes} DESTINATION "${work}")
  set(alpha -UA)
  if(ALPHA)
    set(alpha +UA)
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env HOME=${work}
            ${POVRAY} +I${name}.pov +O${name}.png +W${WIDTH} +H${HEIGHT} +FN8 ${alpha}
            +A0.05 +AM2 +R3 -J +WT1 -D -V -GA +GF
    WORKING_DIRECTORY "${work}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT EXISTS "${work}/${name}.png")
    message(FATAL_ERROR "${SOURCE}: POV-Ray failed (${rc}):\n${out}")
  endif()
  file(RENAME "${work}/${name}.png" "${OUTPUT}")
  file(REMOVE_RECURSE "${work}")
elseif(ext STREQUAL ".svg")
  execute_process(
    COMMAND ${RSVG} --width=${WIDTH} --height=${HEIGHT} --format=png --output=${OUTPUT} ${SOURCE}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${SOURCE}: rsvg-convert failed (${rc}):\n${out}")
  endif()
else()
  message(FATAL_ERROR "${SOURCE}: not a .pov or .svg picture source")
endif()
