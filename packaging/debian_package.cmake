# CPack settings for the .deb (build it with `cpack -G DEB` in the build tree).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrin-finder)
set(CPACK_PACKAGE_VENDOR Veltrin)
set(CPACK_PACKAGE_CONTACT "Veltrin Finder Team <finder@veltrin.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "finder for IP door-phone devices on the local network")
set(CPACK_PACKAGE_DESCRIPTION
  "Veltrin Finder broadcasts one short UDP discovery request from port 1010 to
the local network segment and lists every IP door-phone that answers: its IP
address, serial number, MAC address, software version and description.

The package gives a small helper program the cap_net_bind_service
capability; it binds the privileged port 1010 for a normal user's finder,
which itself runs without any capability.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps adds the Qt and C++ runtime; setcap in postinst needs libcap2-bin.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS libcap2-bin)
# The table is drawn in a Song-style CJK serif; without one Qt falls back.
# Qt's own Chinese for the file dialog and message boxes, and its Wayland
# platform plugin: without it a Wayland session runs the window through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming | fonts-noto-cjk, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
  # The ufw profile under /etc is the admin's to edit.
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
