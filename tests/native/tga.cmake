# Tests of the tga subsystem.
korv_native_test(tga_test SOURCES tga_pixels_test.cpp tga_reader_test.cpp tga_decode_test.cpp
  tga_keyed_test.cpp
  LIBS korv_tga korv_test_support)

# Real files: ImageMagick writes TGA files and its own decodes of them into
# the build tree first (a fixture), then the reader must match them.
set(tga_files_dir ${CMAKE_CURRENT_BINARY_DIR}/tga_files)
add_test(NAME tga_files_make
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/tga/make-real-files.sh ${tga_files_dir})
set_tests_properties(tga_files_make PROPERTIES FIXTURES_SETUP tga_files LABELS native TIMEOUT 60)
add_executable(tga_files_test tga_files_test.cpp)
target_link_libraries(tga_files_test PRIVATE korv_tga GTest::gtest_main)
target_compile_definitions(tga_files_test PRIVATE TGA_FILES_DIR="${tga_files_dir}")
gtest_discover_tests(tga_files_test PROPERTIES LABELS native TIMEOUT 120 FIXTURES_REQUIRED tga_files)
