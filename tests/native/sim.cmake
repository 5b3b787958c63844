korv_native_test(sim_test SOURCES sim_test.cpp LIBS korvio_sim)
