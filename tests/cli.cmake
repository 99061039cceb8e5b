# The command-line finder (--list) in throw-away labs of several shapes: it
# broadcasts, so it only ever runs in namespaces tests/cli/test_cli_lab.sh
# builds with tools/netlab.sh. Skips (77) where namespaces cannot be made.
add_test(NAME test_cli_lab
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cli/test_cli_lab.sh
                 $<TARGET_FILE:veltrin-finder> $<TARGET_FILE:veltrin-device-sim>)
set_tests_properties(test_cli_lab PROPERTIES
  RESOURCE_LOCK netlab LABELS "lab" SKIP_RETURN_CODE 77 TIMEOUT 180)
