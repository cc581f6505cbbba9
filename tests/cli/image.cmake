# The commands on configuration files, each run as a separate process.
foreach(name test_cli_image test_cli_fleet)
    kvt_add_test(${name} SOURCES ${name}.cpp kvtrun.cpp kvtrun.h ${CMAKE_CURRENT_SOURCE_DIR}/../image/testdocuments.cpp LIBS kvt_core)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/../image)
    target_compile_definitions(${name} PRIVATE KVT_BIN="$<TARGET_FILE:kvt>")
    add_dependencies(${name} kvt)
endforeach()
