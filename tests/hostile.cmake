# Hostile datagrams through the real endpoint, controller and window.
# Loopback only: 127.0.0.1 unicast on free high ports, never a broadcast.
veltrin_add_test(test_malformed_datagrams SOURCES test_malformed_datagrams.cpp test_finder_loopback.h
                 LIBS veltrin_finder_window LABELS loopback)
