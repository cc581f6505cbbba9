kvt_add_test(test_zoneeditor SOURCES test_zoneeditor.cpp LIBS kvt_gui)
