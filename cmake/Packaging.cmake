# The Debian package: `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr
# (scripts/package does that). Its dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TEMBREL_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Orvix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TEMBREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TEMBREL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform plugin lets the window run natively on a Wayland session; without it Qt
# uses X11 through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and watch the Orvix LX-7700 wireless-LAN card")
# Lines of at most 80 characters, as Debian policy asks.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A desktop utility for one 802.11a/b/g wireless-LAN card that lives in the"
  "notification area and in a tabbed window. It keeps named connection profiles"
  "(network name, security, keys, 802.1x credentials, radio settings), applies"
  "them to the card, keeps the card connected and shows link status, signal"
  "strength, link speed and throughput."
  "."
  "The package includes a simulated card library and its control tool"
  "tembrelctl, so the utility runs without the hardware.")
# Not a package for Debian itself: its first changelog entry closes no ITP bug.
install(FILES ${CMAKE_SOURCE_DIR}/data/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${TEMBREL_PACKAGE_NAME})

include(CPack)
