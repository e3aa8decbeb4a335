# The Debian package of the command line (cpack in the native build): what `cmake --install`
# puts in place, then turned into Debian's layout by debian_layout.cmake (the man page and
# changelog gzipped, the license as the copyright file).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Vantrel developers <developers@vantrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find a byte pattern in files and overwrite it in place")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vantrel finds a byte pattern in a file, or in every file of a directory\n\
tree, and overwrites the found bytes in place. The pattern and the\n\
replacement can be given as hex (with wildcard digits), ANSI text in any\n\
code page, UTF-8 or UTF-16LE, or as a patch list of many pairs. Each file\n\
is written all or nothing, and optional backups can be put back.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantrel.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_VANTREL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian_layout.cmake)
include(CPack)
