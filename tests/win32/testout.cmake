# Wine tests of the testout subsystem: the alpha test through the Win32 file
# and bitmap bindings, with the TestAlpha.tga beside the test program, on the
# simulated korvio.dll.
korv_wine_test(testout_wine_test
  SOURCES testout_wine_test.cpp ${CMAKE_SOURCE_DIR}/tools/test_alpha_image.cpp
  LIBS korv_testout korv_tga_win32 korvio_sim)
target_include_directories(testout_wine_test PRIVATE ${CMAKE_SOURCE_DIR}/tools ${CMAKE_SOURCE_DIR}/tests/native)
