# The UI driver: runs bd_ShowConfigDlg and works its dialogs (ui_driver.h).
add_library(ui_driver STATIC ui_driver.cpp)
target_link_libraries(ui_driver PUBLIC korvio_sim korvcfg_api GTest::gtest)
target_include_directories(ui_driver PUBLIC ${CMAKE_SOURCE_DIR}/src/dialog)

# The same scenarios under a Chinese (PRC) and an English system language,
# and the English texts under Traditional Chinese.
foreach(lang en_US zh_CN)
  korv_wine_test(entry_ui_test SOURCES entry_ui_test.cpp LIBS ui_driver
    FILTER "Entry.*" SUFFIX ".${lang}" ENVIRONMENT "LC_ALL=${lang}.UTF-8")
endforeach()
korv_wine_test(entry_ui_test FILTER "EntryLanguage.*" SUFFIX ".zh_TW" ENVIRONMENT "LC_ALL=zh_TW.UTF-8")
korv_wine_test(entry_ui_test FILTER "EntryGbkPath.*" SUFFIX ".zh_CN" ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
korv_wine_test(entry_ui_test FILTER "EntryLayout.*" SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8")
korv_wine_test(entry_ui_test FILTER "EntryLongPath.*" SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8")

# The integrator's header from C, linked straight against the DLL.
add_executable(header_link_check header_link_check.c)
target_link_libraries(header_link_check PRIVATE korvcfg_api $<TARGET_FILE:korvcfg>)
add_dependencies(header_link_check korvcfg)
