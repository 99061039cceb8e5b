# Hostile datagrams through the real endpoint and controller.
# Loopback only: 127.0.0.1 unicast on free high ports, never a broadcast.
veltrin_add_test(test_malformed_datagrams SOURCES test_malformed_datagrams.cpp test_finder_fixture.h
                 LIBS veltrin_finder_core LABELS loopback)
