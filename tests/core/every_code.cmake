# Every code of each code page through the engines, and the codes that meet typed text.
kadrel_add_test(kadrel_every_code_tests ${CMAKE_CURRENT_LIST_DIR}/every_code_test.cpp)
