# Desktop integration files as validators see them, and the .deb built from
# this tree as dpkg, lintian and an installer see it.
veltrin_add_test(test_desktop_metadata SOURCES packaging/test_desktop_metadata.cpp LABELS packaging)
target_compile_definitions(test_desktop_metadata PRIVATE
  VELTRIN_DESKTOP_ENTRY="${PROJECT_SOURCE_DIR}/packaging/io.veltrin.Finder.desktop"
  VELTRIN_METAINFO="${PROJECT_BINARY_DIR}/packaging/io.veltrin.Finder.metainfo.xml"
  VELTRIN_MAN_PAGE="${PROJECT_BINARY_DIR}/packaging/veltrin-finder.1")

veltrin_add_test(test_debian_package SOURCES packaging/test_debian_package.cpp LIBS Qt6::Gui
                 LABELS packaging TIMEOUT 600)
target_compile_definitions(test_debian_package PRIVATE
  VELTRIN_CPACK="${CMAKE_CPACK_COMMAND}"
  VELTRIN_CPACK_CONFIG="${PROJECT_BINARY_DIR}/CPackConfig.cmake"
  VELTRIN_INSTALL_INTO_ROOT="${CMAKE_CURRENT_SOURCE_DIR}/packaging/install_into_root.sh")
