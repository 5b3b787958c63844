# The demo host's board monitor, on the simulated korvio.dll, with the test
# pictures sent by the module's own code.
korv_wine_test(monitor_wine_test SOURCES monitor_wine_test.cpp
  LIBS korv_monitor korv_testout korv_tga_win32 korvio_sim stb)
