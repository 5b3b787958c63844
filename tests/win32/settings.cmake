# Wine tests of the settings subsystem, under an English and (for folder
# names) a Chinese system language.
korv_wine_test(settings_wine_test SOURCES settings_wine_test.cpp LIBS korv_settings korv_settings_win32 korv_tga_win32 korvio_sim
  SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8")
korv_wine_test(settings_wine_test FILTER "*Folders*" SUFFIX ".zh_CN" ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
