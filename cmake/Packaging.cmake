# The Debian package: `cpack -G DEB` in a Release build (tools/package.sh does it) makes
# lullwood_VERSION-REVISION_ARCH.deb from the install rules, with the dependencies that
# dpkg-shlibdeps finds in the two programs.
#
# No maintainer scripts: the MIME database, the desktop-entry cache, the icon cache and
# the manual-page index are refreshed by the file triggers that shared-mime-info,
# desktop-file-utils, hicolor-icon-theme and man-db declare on the folders this package
# installs into, on install and on removal alike, as Debian does it for every package.

set(LULLWOOD_PACKAGE_REVISION "1" CACHE STRING "Debian revision of the package")
set(LULLWOOD_PACKAGE_MAINTAINER "Quillor <lullwood@quillor.com>"
    CACHE STRING "Maintainer of the Debian package, as Name <address>")
set(LULLWOOD_PACKAGE_VERSION "${PROJECT_VERSION}-${LULLWOOD_PACKAGE_REVISION}")
# The release day, not the build day: the changelog names when this version came out.
execute_process(
  COMMAND date -u -d "${LULLWOOD_RELEASE_DATE}" "+%a, %d %b %Y 00:00:00 +0000"
  OUTPUT_VARIABLE LULLWOOD_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE lullwood_date_status)
if(NOT lullwood_date_status EQUAL 0)
  message(FATAL_ERROR "LULLWOOD_RELEASE_DATE \"${LULLWOOD_RELEASE_DATE}\" is not a date")
endif()

# /usr/share/doc/lullwood: the copyright notice and the changelog, both required there.
set(lullwood_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/lullwood)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/copyright.in
               ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.Debian.in
               ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND ${LULLWOOD_GZIP} -9 -n -c changelog.Debian > changelog.Debian.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/debian
  COMMENT "Compressing the Debian changelog")
add_custom_target(lullwood_debian_doc ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
# Only in the package: a plain `cmake --install` leaves /usr/share/doc to the packages.
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
        DESTINATION ${lullwood_doc_dir} COMPONENT debian EXCLUDE_FROM_ALL)
# The package is not uploaded to Debian's archive, so its first changelog entry closes no
# bug report there; lintian reads this override from the package itself.
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME lullwood
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lullwood)
set(CPACK_PACKAGE_VENDOR "${LULLWOOD_COPYRIGHT_HOLDER}")
set(CPACK_PACKAGE_CONTACT "${LULLWOOD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ambient-sound generator of looping backgrounds and effects")
set(CPACK_PACKAGE_DESCRIPTION
    "Lullwood builds a soundscape from two layers and leaves it playing for hours,
with its window shown or hidden in the system tray. Up to three of 23 looping
backgrounds (ocean surf, rain, a brook, white or pink noise, a ticking clock)
play together, and 31 single effects (a dog barking, a loon, distant thunder,
a church bell) each fire never, rarely, occasionally or frequently, at random
moments and from all around the room. Two volume bars and Dynamic Random set
the loudness; Mute releases the sound card for other programs.

The whole soundscape is saved to and loaded from small Scenario files (*.lwd),
which open in Lullwood from the file manager. The command-line tool
lullwood-render renders a Scenario to a WAV file and a table of every firing,
without a window or a sound card.

Every sound is synthesised by the program itself; nothing is recorded or
downloaded.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Lullwood;ALL;/"
                                 "${CMAKE_BINARY_DIR};Lullwood;debian;/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${LULLWOOD_PACKAGE_REVISION}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform, which no library links to: with it the window is a native client
# wherever WAYLAND_DISPLAY is set. The libraries' own dependencies are added after it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
# The full-band renditions live in a private library of the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/resources")
# The file types, the menu entry and the icon reach the desktop through these; Qt's own
# translations speak the user's language in its standard dialogs and buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "shared-mime-info, desktop-file-utils, hicolor-icon-theme, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
