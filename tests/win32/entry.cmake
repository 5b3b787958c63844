# The UI driver: runs bd_ShowConfigDlg and works its dialogs (ui_driver.h).
add_library(ui_driver STATIC ui_driver.cpp)
target_link_libraries(ui_driver PUBLIC korvcfg_api GTest::gtest)
target_include_directories(ui_driver PUBLIC ${CMAKE_SOURCE_DIR}/src/dialog)

# The same scenarios under a Chinese (PRC) and an English system language,
# and the English texts under Traditional Chinese.
foreach(lang en_US zh_CN)
  korv_wine_test(entry_ui_test SOURCES entry_ui_test.cpp LIBS ui_driver korvio_sim
    FILTER "Entry.*" SUFFIX ".${lang}" ENVIRONMENT "LC_ALL=${lang}.UTF-8")
endforeach()
korv_wine_test(entry_ui_test FILTER "EntryLanguage.*" SUFFIX ".zh_TW" ENVIRONMENT "LC_ALL=zh_TW.UTF-8")
korv_wine_test(entry_ui_test FILTER "EntryGbkPath.*" SUFFIX ".zh_CN" ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
korv_wine_test(entry_ui_test FILTER "EntryLayout.*" SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8")
korv_wine_test(entry_ui_test FILTER "EntryLongPath.*" SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8")

# The integrator's header from C, linked against each import library that
# the package ships: MinGW's (libkorvcfg.dll.a) and the one for Microsoft's
# linker (korvcfg.lib). Where Wine runs, each host is loaded, so the loader
# binds its import to the export of the real DLL.
add_executable(header_link_check header_link_check.c)
target_link_libraries(header_link_check PRIVATE korvcfg_api korvcfg)
add_executable(header_link_check_lib header_link_check.c)
target_link_libraries(header_link_check_lib PRIVATE korvcfg_api ${KORVCFG_MSVC_LIB})
add_dependencies(header_link_check_lib korvcfg korvcfg_msvc_lib)
if(KORV_WINE_TESTS)
  foreach(host header_link_check header_link_check_lib)
    add_test(NAME ${host} COMMAND ${host})
    set_tests_properties(${host} PROPERTIES LABELS wine-${KORV_ARCH} TIMEOUT 60 FIXTURES_REQUIRED wineprefix_${KORV_ARCH})
  endforeach()
endif()

# Runs without the device library, with an incomplete one, and with it in
# each place the loader finds it: a program in a folder of its own, without
# korvio.dll and without the simulator, beside a copy of korvcfg.dll.
korv_wine_test(device_library_ui_test SOURCES device_library_ui_test.cpp LIBS ui_driver
  FILTER "DeviceLibraryMessage.*" SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8")
set_target_properties(device_library_ui_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/nodevice)
add_custom_command(TARGET device_library_ui_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:korvcfg> $<TARGET_FILE_DIR:device_library_ui_test>)
add_dependencies(device_library_ui_test korvhost)
korv_wine_test(device_library_ui_test FILTER "DeviceLibraryMessage.*" SUFFIX ".zh_CN" ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
korv_wine_test(device_library_ui_test FILTER "DeviceLibraryPlacement.*" SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8")
