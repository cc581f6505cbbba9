# Tests of the programmer window: the window alone, then the window driving
# a simulated unit on a pseudo-terminal.
kvt_add_test(test_programmerwindow
    SOURCES test_programmerwindow.cpp
    LIBS kvt_gui)

kvt_add_test(test_programmerwindow_unit
    SOURCES test_programmerwindow_unit.cpp
    LIBS kvt_gui)
target_compile_definitions(test_programmerwindow_unit PRIVATE
    KVT_SIM_BIN="$<TARGET_FILE:kvt-unit-sim>")
add_dependencies(test_programmerwindow_unit kvt-unit-sim)
