# The finder run by a throw-away unprivileged uid in the network lab, port
# 1010 bound by the capability-holding helper; a plugin planted through
# QT_PLUGIN_PATH reports what code loaded into the finder may do.
add_library(veltrin_capability_probe MODULE privilege/capability_probe_plugin.cpp privilege/capability_probe.json)
target_link_libraries(veltrin_capability_probe PRIVATE Qt6::Widgets)
set(VELTRIN_PROBE_PLUGIN_PATH ${CMAKE_CURRENT_BINARY_DIR}/probe-plugins)
set_target_properties(veltrin_capability_probe PROPERTIES
  LIBRARY_OUTPUT_DIRECTORY ${VELTRIN_PROBE_PLUGIN_PATH}/generic)

veltrin_add_test(test_finder_as_user LAB LAB_ARGS --segments 1 --devices 3
                 SOURCES privilege/test_finder_as_user.cpp ${VELTRIN_FAULT_LAB}
                 LIBS veltrin_finder_window Qt6::Network TIMEOUT 120)
add_dependencies(test_finder_as_user veltrin_capability_probe veltrin-finder veltrin-finder-bind)
target_compile_definitions(test_finder_as_user PRIVATE
  VELTRIN_FINDER_BINARY="$<TARGET_FILE:veltrin-finder>"
  VELTRIN_PROBE_PLUGIN_PATH="${VELTRIN_PROBE_PLUGIN_PATH}")
