# bench_programmer: a whole image written through kvt-unit-sim, with an
# instant unit and with a unit paced as a 9600-baud line.
add_executable(bench_programmer bench_programmer.cpp)
target_link_libraries(bench_programmer PRIVATE kvt_serial)
target_compile_definitions(bench_programmer PRIVATE KVT_UNIT_SIM="$<TARGET_FILE:kvt-unit-sim>")
add_dependencies(bench_programmer kvt-unit-sim)
