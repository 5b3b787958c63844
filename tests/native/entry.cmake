korv_native_test(entry_test SOURCES entry_test.cpp LIBS korv_entry)
