# The programmer window, alone and driving a simulated unit.
kvt_add_test(test_programmerwindow SOURCES test_programmerwindow.cpp LIBS kvt_gui kvt_simunit)
