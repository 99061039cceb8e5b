veltrin_add_test(test_discovery_messages SOURCES test_discovery_messages.cpp LIBS veltrin_discovery)
# Loopback only: 127.0.0.1 unicast on free high ports, never a broadcast.
veltrin_add_test(test_discovery_endpoint SOURCES test_discovery_endpoint.cpp test_finder_loopback.h LIBS veltrin_discovery
                 LABELS loopback)
veltrin_add_test(test_target_addresses SOURCES test_target_addresses.cpp LIBS veltrin_discovery)
veltrin_add_test(test_broadcast_plan SOURCES test_broadcast_plan.cpp LIBS veltrin_discovery)
veltrin_add_test(test_target_sweep SOURCES test_target_sweep.cpp LIBS veltrin_discovery)
# The bind helper binds port 1010, so it runs in a throw-away network namespace.
veltrin_add_test(test_bind_helper_client LAB LAB_ARGS --segments 1 --devices 0 --no-sim
                 SOURCES test_bind_helper_client.cpp LIBS veltrin_discovery TIMEOUT 60)
