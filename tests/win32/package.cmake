# The archives of this tree: the release package, unpacked and run with the
# simulator kit as an integrator would (under Wine), and, in the 64-bit tree,
# both built again in a second tree of their own, which must give the same
# bytes (no Wine; a minute or two of building, labelled "reproducible"; the
# script does the same for the 32-bit tree when run by hand).
if(KORV_ARCH STREQUAL win64)
  get_filename_component(toolchain ${CMAKE_TOOLCHAIN_FILE} NAME)
  add_test(NAME package_reproducible COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package-reproducible
    ${CMAKE_SOURCE_DIR} ${toolchain} ${CMAKE_BUILD_TYPE} ${CMAKE_BINARY_DIR}/package/source-date-epoch.txt
    ${KORV_PACKAGE} ${KORV_SIMULATOR_KIT})
  set_tests_properties(package_reproducible PROPERTIES LABELS "reproducible;${KORV_ARCH}" TIMEOUT 300)
endif()

if(NOT KORV_WINE_TESTS)
  return()
endif()
add_test(NAME package_roundtrip COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package-roundtrip
  ${KORV_ARCH} ${KORV_PACKAGE} ${KORV_SIMULATOR_KIT} ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(package_roundtrip PROPERTIES LABELS wine-${KORV_ARCH} TIMEOUT 120 FIXTURES_REQUIRED wineprefix_${KORV_ARCH}
  SKIP_RETURN_CODE 77)
