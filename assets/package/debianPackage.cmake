# The Debian package, made by CPack from the installation rules (cpack -G DEB
# in a build configured with -DTARNWICK_PACKAGE=ON; scripts/package.sh does
# it all). The package adds to the installed tree the copyright file and the
# changelog Debian asks for; its Depends: are worked out by dpkg-shlibdeps
# from the libraries the programs link.

set(TARNWICK_PACKAGE_MAINTAINER "Oskvel Games <packages@oskvelgames.com>" CACHE STRING
  "The package's Maintainer: field")

install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The latest entry names the project's version, as the package does.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/install/changelog @ONLY)
set(changelog ${CMAKE_BINARY_DIR}/install/changelog.gz)
tarnwick_gzip(${CMAKE_BINARY_DIR}/install/changelog ${changelog})
add_custom_target(package_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARNWICK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "Visit site" opens the README through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "side-view voxel action game in generated levels")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Every level is generated at random from a library of voxel tiles, three
rooms high and thirty-two rooms long, and the whole world is drawn as
coloured cubes. Run, jump, aim with the mouse, shoot the robots that patrol
the rooms and blow holes into the walls; an elevator at the far end carries
you to an upgrade screen before the next level.

A small launcher picks the display and sound options before you play.")
include(CPack)
