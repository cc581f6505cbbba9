kvt_add_test(test_zonerecord SOURCES test_zonerecord.cpp ${CMAKE_CURRENT_SOURCE_DIR}/../image/testdocuments.cpp LIBS kvt_core)
target_include_directories(test_zonerecord PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/../image)
