# Loopback only: 127.0.0.1 unicast on free high ports, never a broadcast.
veltrin_add_test(test_finder_controller SOURCES test_finder_controller.cpp test_finder_fixture.h
                 LIBS veltrin_finder_core LABELS loopback)
veltrin_add_test(test_finder_failure_message SOURCES test_finder_failure_message.cpp
                 LIBS veltrin_finder_core)
veltrin_add_test(test_finder_window SOURCES test_finder_window.cpp test_finder_loopback.h
                 LIBS veltrin_finder_window LABELS loopback)

# End to end: the finder with its default settings broadcasts, so it runs in
# the finder namespace of a throw-away lab (tools/netlab.sh), three simulated
# devices answering.
veltrin_add_test(test_finder_lab_e2e LAB
                 LAB_ARGS --segments 1 --devices 3 --sim-args "--serial 12345678901{n}"
                 SOURCES lab_e2e/test_finder_lab_e2e.cpp ${VELTRIN_FAULT_LAB}
                 LIBS veltrin_finder_window Qt6::Network TIMEOUT 90)

# Acting on the devices found: one file per behaviour, offscreen.
foreach(name IN ITEMS test_device_clipboard test_device_web_page test_device_sort test_device_csv_save
                      test_answer_marks)
  veltrin_add_test(${name} SOURCES ${name}.cpp device_grid_fixture.h LIBS veltrin_finder_window)
endforeach()
veltrin_add_test(test_no_reply_placeholder SOURCES test_no_reply_placeholder.cpp test_finder_loopback.h
                 LIBS veltrin_finder_window LABELS loopback)
veltrin_add_test(test_translations SOURCES test_translations.cpp test_finder_loopback.h
                 LIBS veltrin_finder_window LABELS loopback)
# Three devices answering twice: the real window marks the second answers.
veltrin_add_test(test_finder_lab_repeats LAB
                 LAB_ARGS --segments 1 --devices 3 --sim-args "--repeat 2"
                 SOURCES lab_e2e/test_finder_lab_repeats.cpp ${VELTRIN_FAULT_LAB}
                 LIBS veltrin_finder_window Qt6::Network TIMEOUT 90)
veltrin_add_test(test_command_line SOURCES test_command_line.cpp LIBS veltrin_finder_core)
