# Round trips through the network lab (tools/netlab.sh): the endpoint
# broadcasts from the finder namespace, veltrin-device-sim answers from the
# device namespaces. As root they run; elsewhere they skip.
set(VELTRIN_LAB_ENVIRONMENT lab/lab_environment.cpp lab/lab_environment.h)

veltrin_add_test(test_lab_round_trip LAB LAB_ARGS --segments 1 --devices 3
                 SOURCES lab/test_lab_round_trip.cpp ${VELTRIN_LAB_ENVIRONMENT}
                 LIBS veltrin_discovery Qt6::Network TIMEOUT 60)
veltrin_add_test(test_lab_two_segments LAB LAB_ARGS --segments 2 --devices 1
                 SOURCES lab/test_lab_two_segments.cpp ${VELTRIN_LAB_ENVIRONMENT}
                 LIBS veltrin_discovery Qt6::Network TIMEOUT 60)
