# `cpack -G DEB` in a build folder: a Debian package of what `cmake --install` puts in place,
# under /usr.
set(CPACK_PACKAGE_NAME pelaryn)
set(CPACK_PACKAGE_VENDOR "The pelaryn developers")
set(CPACK_PACKAGE_CONTACT "The pelaryn developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "endless vertical shooter with a sun and a moon for bosses")
set(CPACK_PACKAGE_DESCRIPTION "\
Velgard (ヴェルガード) is a small, endless, vertically scrolling shooter.
Steer a yellow rocket, shoot down blobs, divers and beetles, chain kills into
combos, catch the hearts that repair the ship, and every minute or so face one
of two bosses, a grinning sun or a green moon. Each boss destroyed makes the
game harder. Keyboard or gamepad, a ten-place ranking, and your own background
picture and music if you like.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries the program links, as dpkg-shlibdeps finds them (needs dpkg-dev and file).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program opens by name rather than links: the General MIDI soundfont behind
# /usr/share/sounds/sf3/default-GM.sf3 for the music, and the face of the Japanese menus.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | sf3-soundfont-gm, fonts-ipafont-gothic, shared-mime-info")

include(CPack)
