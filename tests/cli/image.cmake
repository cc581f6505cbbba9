# The kvt command's file commands, run as a separate process.
kvt_add_test(test_cli_image SOURCES test_cli_image.cpp LIBS kvt_core)
target_compile_definitions(test_cli_image PRIVATE KVT_BIN="$<TARGET_FILE:kvt>")
add_dependencies(test_cli_image kvt)
