# The serial settings and the programming engine against a simulated unit on a pseudo-terminal.
kvt_add_test(test_engine SOURCES test_engine.cpp LIBS kvt_serial kvt_simunit)
