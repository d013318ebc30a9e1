# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of both programs: cpack -G DEB in the build
# (scripts/package). Everything comes from the install rules; the package has
# no maintainer scripts, so the agent's unit is installed but not enabled.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The first packaging of this upstream version (packaging/changelog).
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop UPS monitor and its UPS agent")
set(CPACK_PACKAGE_DESCRIPTION
  "corvanta-monitor shows whether the computer runs on mains or battery, how full
the battery is, what the UPS measures and whether a shutdown is coming, and
keeps the shutdown settings, the battery dates and a calendar of scheduled
shutdowns. corvanta-agent owns the UPS (a simulated one, or a real one through
a Network UPS Tools server), runs the shutdown countdown and writes the event
log; a systemd unit for it is included but not enabled.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
  "Corvanta UPS Monitor developers <maintainers@corvanta-ups.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://corvanta-ups.org/)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries come from the binaries; the platform plugin that draws the
# window is loaded at run time, so no binary names it. Under Wayland the
# monitor draws natively when Qt's Wayland plugin is there, else through X.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The autostart entry in /etc is a configuration file the administrator may
# change or remove; dpkg keeps such a change over an upgrade.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

# What Debian wants of every package: the licence in machine-readable form,
# the changelog, and the reason for every lintian tag that is overridden.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION share/doc/corvanta)
corvanta_install_gzipped(${PROJECT_SOURCE_DIR}/packaging/changelog share/doc/corvanta
  RENAME changelog.Debian)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION share/lintian/overrides RENAME corvanta)
