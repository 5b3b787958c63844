# The release package, unpacked and run as an integrator would.
if(NOT KORV_WINE_TESTS)
  return()
endif()
add_test(NAME package_roundtrip COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package-roundtrip
  ${KORV_ARCH} ${KORV_PACKAGE} ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(package_roundtrip PROPERTIES LABELS wine-${KORV_ARCH} TIMEOUT 120 FIXTURES_REQUIRED wineprefix_${KORV_ARCH}
  SKIP_RETURN_CODE 77)
