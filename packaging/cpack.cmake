# The Debian package: `cpack -G DEB` in the build folder writes
# veltra-setup_<version>_<arch>.deb from what the install rules put in /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltra-setup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Veltra)
set(CPACK_PACKAGE_CONTACT "Veltra <kurulum@veltra.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The folders the package makes, whatever the umask of whoever builds it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download front-end of the Veltra game installer")
set(CPACK_PACKAGE_DESCRIPTION "\
veltra-setup fetches the list of the Veltra installer's pieces from the
distribution server, keeps the pieces already downloaded by an earlier
run, downloads the missing ones while its window shows their progress,
the speed, the time left and a page of news about the game, and starts
the installer from its start button when everything is present.

Its texts are in Turkish.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps that section for packages whose programs are in
# /usr/games, and this one is the installer's front-end in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries it links do not tell dpkg-shlibdeps: Qt draws on X11
# through a plugin that its libraries only recommend, and the Turkish letters
# need a font that has them. The web engine's helper program, without which
# the news page stays blank, comes in through the web engine library's own
# entry for dpkg-shlibdeps; the package test checks that it still does.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")

# CPack's DEB generator takes the times of the package's files and members
# from SOURCE_DATE_EPOCH in its environment, and the time it packs without
# it; cpack puts the build's there (see CMakeLists.txt) unless it has one.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/cpack_project_config.cmake CONTENT [[
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} @VELTRA_SOURCE_DATE_EPOCH@)
endif()
]] @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_project_config.cmake)

include(CPack)
