# Wine tests of the settings subsystem.
korv_wine_test(settings_wine_test SOURCES settings_wine_test.cpp LIBS korv_settings korv_settings_win32)
