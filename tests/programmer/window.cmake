# The programmer window, alone and driving a simulated unit.
kvt_add_test(test_programmerwindow
    SOURCES test_programmerwindow.cpp
    LIBS kvt_gui)
target_compile_definitions(test_programmerwindow PRIVATE
    KVT_SIM_BIN="$<TARGET_FILE:kvt-unit-sim>")
add_dependencies(test_programmerwindow kvt-unit-sim)
