kvt_add_test(test_cli_image SOURCES test_cli_image.cpp ${CMAKE_CURRENT_SOURCE_DIR}/../image/testdocuments.cpp LIBS kvt_core)
target_include_directories(test_cli_image PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/../image)
target_compile_definitions(test_cli_image PRIVATE KVT_BIN="$<TARGET_FILE:kvt>")
add_dependencies(test_cli_image kvt)
