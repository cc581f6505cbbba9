# `kvt write` and `kvt read-id` run as separate processes against a simulated unit.
kvt_add_test(test_cli_device SOURCES test_cli_device.cpp LIBS kvt_serial kvt_simunit)
target_compile_definitions(test_cli_device PRIVATE KVT_BIN="$<TARGET_FILE:kvt>")
add_dependencies(test_cli_device kvt)
