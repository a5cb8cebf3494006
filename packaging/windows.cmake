# The Windows zip, made by `cpack` in the Windows build tree:
# zintavel-VERSION-windows-x64.zip holding one folder with zintavel.exe (every
# library linked in), the presentation beside it (where the program looks
# first), README.txt and the licences.
install(TARGETS zintavel RUNTIME DESTINATION .)
install(DIRECTORY ${ZINTAVEL_PRESENTATION}/ DESTINATION .)
# The text files with Windows' line ends, for Notepad and its like; remade
# whenever the originals change.
foreach(pair "README-windows.txt=README.txt" "${PROJECT_SOURCE_DIR}/LICENSE=LICENSE.txt"
    "${PROJECT_SOURCE_DIR}/THIRD-PARTY.md=THIRD-PARTY.txt")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  cmake_path(ABSOLUTE_PATH from BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/text/${to} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${from})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/text/${to} DESTINATION .)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zintavel)
set(CPACK_PACKAGE_VENDOR "Zintavel")
set(CPACK_PACKAGE_FILE_NAME zintavel-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
