# The Debian package (scripts/package): cpack --config CPackConfig.cmake in a
# Release build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marvane-player)
set(CPACK_PACKAGE_VENDOR "Marvane Player developers")
set(CPACK_PACKAGE_CONTACT "Marvane Player developers <packages@marvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music player for VK with Last.fm pages")
set(CPACK_PACKAGE_DESCRIPTION
    "Marvane Player plays the music of a VK account, searches the site's tracks and\n\
keeps downloaded ones in the music folder to play without a connection. The\n\
desktop's media keys and applet drive it over MPRIS, and each new track is\n\
announced in a notification. marvane-cli offers the same clients from a\n\
terminal.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://marvane.org/player")
# The libraries come from what the programs link; the plug-ins they load at
# run time are named: decoding and output, the table's driver, the icons'
# and the display's plug-ins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio | gstreamer1.0-alsa, \
libqt6sql6-sqlite, libqt6svg6, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# What Debian asks of every package: its copyright and change notes.
set(MARVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/marvane-player)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${MARVANE_DOC_DIR})
set(MARVANE_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${MARVANE_CHANGELOG}
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${MARVANE_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(marvane_changelog ALL DEPENDS ${MARVANE_CHANGELOG})
install(FILES ${MARVANE_CHANGELOG} DESTINATION ${MARVANE_DOC_DIR})

include(CPack)
