# The man page and the Debian package.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vellumtrace.1
    COMMAND ${HELP2MAN} --no-info --section=1 "--name=extractive text summarizer"
            --output=${CMAKE_BINARY_DIR}/vellumtrace.1 $<TARGET_FILE:vellumtrace>
    DEPENDS vellumtrace
    COMMENT "Generating the vellumtrace(1) man page"
    VERBATIM)
  add_custom_target(vellumtrace_man ALL DEPENDS ${CMAKE_BINARY_DIR}/vellumtrace.1)
  install(FILES ${CMAKE_BINARY_DIR}/vellumtrace.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: no man page")
endif()

set(CPACK_PACKAGE_NAME vellumtrace)
set(CPACK_PACKAGE_VENDOR "Vellumtrace developers")
set(CPACK_PACKAGE_CONTACT "Vellumtrace developers <vellumtrace@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Frequency-based extractive text summarizer")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The static library and the CMake package ask for libxml2's headers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libxml2-dev, python3")
include(CPack)
