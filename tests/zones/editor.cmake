kvt_add_test(test_zoneeditor SOURCES test_zoneeditor.cpp LIBS kvt_gui)
kvt_add_test(test_zoneeditor_menu SOURCES test_zoneeditor_menu.cpp LIBS kvt_gui)
