# CPack settings for the .debs (build them with `cpack -G DEB` in the build
# tree): veltrin-finder, the window, depends on veltrin-finder-cli, which
# holds all that runs without a display and needs only QtCore and QtNetwork.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrin-finder)
set(CPACK_PACKAGE_VENDOR Veltrin)
set(CPACK_PACKAGE_CONTACT "Veltrin Finder Team <finder@veltrin.io>")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL desktop cli)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME veltrin-finder)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME veltrin-finder-cli)
set(CPACK_COMPONENT_DESKTOP_DEPENDS cli)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

# The first line of each is the package's synopsis.
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
  "finder for IP door-phone devices on the local network
Veltrin Finder broadcasts one short UDP discovery request from port 1010 to
the local network segment and lists every IP door-phone that answers: its IP
address, serial number, MAC address, software version and description.

This package holds the desktop program with its window.")
set(CPACK_DEBIAN_CLI_DESCRIPTION
  "finder for IP door-phone devices, command line and scheduled scans
Veltrin Finder broadcasts one short UDP discovery request from port 1010 to
the local network segment and lists every IP door-phone that answers.

This package holds what runs without a display: veltrin-finder-cli, which
lists the devices as text, JSON, CSV or Prometheus metrics and checks them
against a plan of the site, and a systemd timer that scans every minute for
node exporter's textfile collector, with example alert rules.

It gives a small helper program the cap_net_bind_service capability; it
binds the privileged port 1010 for a normal user's finder, which itself runs
without any capability.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps adds the Qt and C++ runtime; setcap in postinst needs
# libcap2-bin, setfacl acl.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libcap2-bin, acl")
# node exporter serves the scheduled scan's metrics.
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS prometheus-node-exporter)
# The table is drawn in a Song-style CJK serif; without one Qt falls back.
# Qt's own Chinese for the file dialog and message boxes, and its Wayland
# platform plugin: without it a Wayland session runs the window through XWayland.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "fonts-arphic-uming | fonts-noto-cjk, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm
  # The ufw profile and the scan's settings under /etc are the admin's to edit.
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
