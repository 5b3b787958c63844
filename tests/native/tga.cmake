# Tests of the tga subsystem.
korv_native_test(tga_test SOURCES tga_pixels_test.cpp tga_reader_test.cpp tga_decode_test.cpp LIBS korv_tga)
