# Wine tests of the tga subsystem.
korv_wine_test(tga_win32_test SOURCES tga_win32_test.cpp LIBS korv_tga_win32 korv_testout)
