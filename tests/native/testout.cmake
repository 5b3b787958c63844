# Tests of the testout subsystem: against the recording device library, and
# against the simulated boards with the shipped alpha test picture.
korv_native_test(testout_fake_test SOURCES testout_fake_test.cpp
  LIBS korv_testout korv_test_alpha_image korv_test_support fake_korvio)
korv_native_test(testout_sim_test SOURCES testout_sim_test.cpp
  LIBS korv_testout korv_test_alpha_image korvio_sim)
target_compile_definitions(testout_sim_test PRIVATE KORV_TESTOUT_DIR="${CMAKE_SOURCE_DIR}/src/testout/")
