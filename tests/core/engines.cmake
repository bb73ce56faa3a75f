# The rewriting engines of modes 1, 2 and 5, end to end through RunAll.
kadrel_add_test(kadrel_engine_tests ${CMAKE_CURRENT_LIST_DIR}/engines_test.cpp)
