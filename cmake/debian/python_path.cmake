# Run by CPack before it packs: Debian's python3 reads the modules of /usr
# from lib/python3/dist-packages, while the install puts the package in the
# interpreter's own folder for a local prefix (lib/python3.X/dist-packages).
# Each component's tree: <staging>/<component><prefix>/...
file(GLOB modules LIST_DIRECTORIES true
  "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*${CPACK_PACKAGING_INSTALL_PREFIX}/lib/python3.*/dist-packages/vellumtrace")
foreach(module IN LISTS modules)
  get_filename_component(dist ${module} DIRECTORY)
  get_filename_component(versioned ${dist} DIRECTORY)
  get_filename_component(lib ${versioned} DIRECTORY)
  get_filename_component(name ${versioned} NAME)
  if(IS_DIRECTORY ${module} AND name MATCHES "^python3\\.[0-9]+$")
    file(MAKE_DIRECTORY ${lib}/python3/dist-packages)
    file(RENAME ${module} ${lib}/python3/dist-packages/vellumtrace)
    file(GLOB left LIST_DIRECTORIES true "${dist}/*")
    if(NOT left)
      file(REMOVE_RECURSE ${versioned})
    endif()
  endif()
endforeach()
