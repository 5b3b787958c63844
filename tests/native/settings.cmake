# Tests of the settings subsystem: the whole-record operations against the
# recording fake and against the simulator, and the settings file (which
# needs no board; the fake only completes the link).
korv_native_test(settings_fake_test SOURCES settings_fake_test.cpp LIBS korv_settings fake_korvio)
korv_native_test(settings_sim_test SOURCES settings_sim_test.cpp LIBS korv_settings korvio_sim)
korv_native_test(settings_file_test SOURCES settings_file_test.cpp LIBS korv_settings fake_korvio)
korv_native_test(setting_table_test SOURCES setting_table_test.cpp LIBS korv_settings fake_korvio)
