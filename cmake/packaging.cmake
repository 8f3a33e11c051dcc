# The man page and the Debian packages.
#
# One package per kind of user, each a CPack component (set in the install()
# lines of cli/, library/ and python/):
#   vellumtrace          command  the command and its man page
#   libvellumtrace1      library  the shared library
#   vellumtrace-data     data     the dictionaries (any architecture)
#   libvellumtrace-dev   dev      headers, static library, CMake package, .pc
#   python3-vellumtrace  python   the Python module, for the one CPython it
#                                 was built for
# Runtime dependencies come from the binaries (dpkg-shlibdeps); only the -dev
# package asks for other -dev packages.

# The man page is written by hand (docs/vellumtrace.1) and installed
# compressed, as Debian wants it.
set(VELLUMTRACE_MAN_PAGE ${CMAKE_BINARY_DIR}/vellumtrace.1.gz)
add_custom_command(OUTPUT ${VELLUMTRACE_MAN_PAGE}
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${CMAKE_SOURCE_DIR}/docs/vellumtrace.1
          ${VELLUMTRACE_MAN_PAGE}
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/vellumtrace.1
  COMMENT "Compressing the vellumtrace(1) man page"
  VERBATIM)
# Every package carries the project's changelog, compressed the same way.
set(VELLUMTRACE_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${VELLUMTRACE_CHANGELOG}
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${CMAKE_SOURCE_DIR}/cmake/debian/changelog
          ${VELLUMTRACE_CHANGELOG}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/debian/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(vellumtrace_docs ALL DEPENDS ${VELLUMTRACE_MAN_PAGE} ${VELLUMTRACE_CHANGELOG})
install(FILES ${VELLUMTRACE_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT command)

set(VELLUMTRACE_COMPONENTS command library data dev)
if(TARGET vellumtrace_python)
  list(APPEND VELLUMTRACE_COMPONENTS python)
endif()

set(CPACK_DEBIAN_COMMAND_PACKAGE_NAME vellumtrace)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libvellumtrace${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_DATA_PACKAGE_NAME vellumtrace-data)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libvellumtrace-dev)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-vellumtrace)

# Each package's copyright and changelog, in its own doc folder (not for a
# wheel, whose metadata says the same in its own way).
option(VELLUMTRACE_INSTALL_PACKAGE_DOCS "Install each Debian package's copyright and changelog" ON)
foreach(component IN LISTS VELLUMTRACE_COMPONENTS)
  if(NOT VELLUMTRACE_INSTALL_PACKAGE_DOCS)
    break()
  endif()
  string(TOUPPER ${component} upper)
  install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright ${VELLUMTRACE_CHANGELOG}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
    COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME vellumtrace)
set(CPACK_PACKAGE_VENDOR "Vellumtrace developers")
set(CPACK_PACKAGE_CONTACT "Vellumtrace developers <maintainers@vellumtrace.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${VELLUMTRACE_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${VELLUMTRACE_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The command needs libvellumtrace.so.1, which no installed package provides
# yet: dpkg-shlibdeps finds it in the build tree, and the dependency on
# libvellumtrace1 comes from the component's own dependency below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})

set(CPACK_COMPONENT_COMMAND_DEPENDS library data)
set(CPACK_DEBIAN_COMMAND_PACKAGE_SECTION text)
set(CPACK_COMPONENT_COMMAND_DESCRIPTION "frequency-based extractive text summarizer
vellumtrace picks the best sentences of a text by how often its important
words occur, and writes them as plain text, as an HTML page with the chosen
sentences highlighted, or as JSON. One XML dictionary per language tells it
where sentences end, how words reduce to stems and which words never count.
It summarises many files at once and scores summaries against references.")

set(CPACK_COMPONENT_LIBRARY_DEPENDS data)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# The shlibs file tells dpkg-shlibdeps of programs built on the library which
# package to depend on; the trigger refreshes the loader's cache.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "frequency-based extractive text summarizer - shared library
libvellumtrace summarises UTF-8 text in-process through a C++ and a C
interface: the best sentences as text, HTML or JSON, with every sentence's
byte range and grade, the important words and the title words.")

set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DATA_PACKAGE_SECTION text)
set(CPACK_DEBIAN_DATA_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_DATA_DESCRIPTION "frequency-based extractive text summarizer - dictionaries
The language dictionaries of vellumtrace and libvellumtrace: for each
language, where sentences end, how words reduce to stems and which words
never count.")

set(CPACK_COMPONENT_DEV_DEPENDS library)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
# What the CMake package config (find_dependency) and the .pc file's
# Requires.private ask of a static build.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libxml2-dev, libabsl-dev")
set(CPACK_COMPONENT_DEV_DESCRIPTION "frequency-based extractive text summarizer - development files
Headers, the static library, the CMake package (Vellumtrace::vellumtrace
and Vellumtrace::vellumtrace_static) and the pkg-config file of
libvellumtrace.")

if(TARGET vellumtrace_python)
  # The module is built for one CPython (its file name says which): bound
  # python3 to that minor version.
  if(NOT Python_EXECUTABLE)
    find_package(Python 3 REQUIRED COMPONENTS Interpreter)
  endif()
  execute_process(COMMAND ${Python_EXECUTABLE} -c
      "import sys; print('%d;%d' % sys.version_info[:2])"
    OUTPUT_VARIABLE VELLUMTRACE_PYTHON_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  list(GET VELLUMTRACE_PYTHON_VERSION 0 py_major)
  list(GET VELLUMTRACE_PYTHON_VERSION 1 py_minor)
  math(EXPR py_next "${py_minor} + 1")
  set(CPACK_COMPONENT_PYTHON_DEPENDS data)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3 (>= ${py_major}.${py_minor}), python3 (<< ${py_major}.${py_next})")
  set(CPACK_COMPONENT_PYTHON_DESCRIPTION "frequency-based extractive text summarizer - Python 3 module
The vellumtrace module summarises text from Python: the best sentences as
text, HTML or JSON, with every sentence's range and grade, the important
words and the title words.")
endif()
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/debian/python_path.cmake)
include(CPack)

if(VELLUMTRACE_BUILD_TESTS)
  add_test(NAME ManPage.CoversHelp COMMAND ${CMAKE_SOURCE_DIR}/tests/package/man_page_test.sh
    $<TARGET_FILE:vellumtrace> ${CMAKE_SOURCE_DIR}/docs/vellumtrace.1)
endif()
