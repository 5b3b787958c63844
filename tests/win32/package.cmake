# The release package, unpacked and run as an integrator would.
add_test(NAME package_roundtrip COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package-roundtrip
  ${KORV_PACKAGE} ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(package_roundtrip PROPERTIES LABELS wine TIMEOUT 120 FIXTURES_REQUIRED wineprefix
  SKIP_RETURN_CODE 77)
