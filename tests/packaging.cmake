# Desktop integration files as validators see them, and the .deb built from
# this tree as dpkg, lintian and an installer see it.
veltrin_add_test(test_desktop_metadata SOURCES packaging/test_desktop_metadata.cpp LABELS packaging)
target_compile_definitions(test_desktop_metadata PRIVATE
  VELTRIN_DESKTOP_ENTRY="${PROJECT_SOURCE_DIR}/packaging/io.veltrin.Finder.desktop"
  VELTRIN_METAINFO="${PROJECT_BINARY_DIR}/packaging/io.veltrin.Finder.metainfo.xml"
  VELTRIN_MAN_PAGE="${PROJECT_BINARY_DIR}/packaging/veltrin-finder.1")

veltrin_add_test(test_debian_package SOURCES packaging/test_debian_package.cpp LIBS Qt6::Gui
                 LABELS packaging TIMEOUT 600)
# The installed finder is run as a user in a network lab by test_finder_as_user.
add_dependencies(test_debian_package test_finder_as_user veltrin-device-sim)
set_tests_properties(test_debian_package PROPERTIES RESOURCE_LOCK netlab)
target_compile_definitions(test_debian_package PRIVATE
  VELTRIN_CPACK="${CMAKE_CPACK_COMMAND}"
  VELTRIN_CPACK_CONFIG="${PROJECT_BINARY_DIR}/CPackConfig.cmake"
  VELTRIN_INSTALL_INTO_ROOT="${CMAKE_CURRENT_SOURCE_DIR}/packaging/install_into_root.sh"
  VELTRIN_NETLAB="${PROJECT_SOURCE_DIR}/tools/netlab.sh"
  VELTRIN_SIM="$<TARGET_FILE:veltrin-device-sim>"
  VELTRIN_FINDER_AS_USER="$<TARGET_FILE:test_finder_as_user>")
