# Extraction benchmarks: include(extract.cmake) from bench/CMakeLists.txt.
# extract_compare.sh runs them against awk / grep / iconv pipelines.
add_executable(extract_bench ${CMAKE_CURRENT_LIST_DIR}/extract_bench.cpp)
target_link_libraries(extract_bench PRIVATE kadrel_extract)
