# Faults in the network lab: the finder's window with its default endpoint
# settings meets a missing route, a port held by another process, and a
# flood. Each test breaks and mends only its own throw-away lab.

veltrin_add_test(test_fault_start_up LAB LAB_ARGS --segments 1 --devices 3
                 SOURCES faults/test_fault_start_up.cpp ${VELTRIN_FAULT_LAB}
                 LIBS veltrin_finder_window Qt6::Network TIMEOUT 60)

# The flood comes from the device simulator, from the device namespace.
veltrin_add_test(test_fault_flood LAB LAB_ARGS --segments 1 --devices 3
                 SOURCES faults/test_fault_flood.cpp ${VELTRIN_FAULT_LAB}
                 LIBS veltrin_finder_window Qt6::Network TIMEOUT 60)
