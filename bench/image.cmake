# bench_image: encode, write and check+decode of a full configuration image.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(bench_image bench_image.cpp)
    target_link_libraries(bench_image PRIVATE kvt_core benchmark::benchmark)
else()
    message(STATUS "Google Benchmark (libbenchmark-dev) not found: bench_image is not built")
endif()
