# `kvt write` and `kvt read-id` run as separate processes against kvt-unit-sim.
kvt_add_test(test_cli_device
    SOURCES test_cli_device.cpp ${PROJECT_SOURCE_DIR}/tests/sim/simunit.cpp
    LIBS kvt_serial)
target_include_directories(test_cli_device PRIVATE ${PROJECT_SOURCE_DIR}/tests/sim)
target_compile_definitions(test_cli_device PRIVATE
    KVT_BIN="$<TARGET_FILE:kvt>" KVT_UNIT_SIM="$<TARGET_FILE:kvt-unit-sim>")
add_dependencies(test_cli_device kvt kvt-unit-sim)
