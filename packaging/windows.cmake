# The Windows zip, made by `cpack` in the Windows build tree:
# zintavel-VERSION-windows-x64.zip holding one folder with zintavel.exe (every
# library linked in), the presentation beside it (where the program looks
# first), README.txt and the licences.
install(TARGETS zintavel RUNTIME DESTINATION .)
install(DIRECTORY ${ZINTAVEL_PRESENTATION}/ DESTINATION .)
install(FILES README-windows.txt DESTINATION . RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/THIRD-PARTY.md DESTINATION . RENAME THIRD-PARTY.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zintavel)
set(CPACK_PACKAGE_VENDOR "Zintavel")
set(CPACK_PACKAGE_FILE_NAME zintavel-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
