# Tests of the serial settings and of the programming engine, the latter
# against kvt-unit-sim on a pseudo-terminal.
kvt_add_test(test_serialsettings SOURCES test_serialsettings.cpp LIBS kvt_serial)

kvt_add_test(test_engine
    SOURCES test_engine.cpp ${PROJECT_SOURCE_DIR}/tests/sim/simunit.cpp
    LIBS kvt_serial)
target_include_directories(test_engine PRIVATE ${PROJECT_SOURCE_DIR}/tests/sim)
target_compile_definitions(test_engine PRIVATE KVT_UNIT_SIM="$<TARGET_FILE:kvt-unit-sim>")
add_dependencies(test_engine kvt-unit-sim)
