# The configuration dialog through the real dialog manager, in both
# languages, with the alpha test picture's expected frame.
foreach(lang en_US zh_CN)
  korv_wine_test(config_dialog_ui_test
    SOURCES config_dialog_ui_test.cpp ${CMAKE_SOURCE_DIR}/tools/test_alpha_image.cpp
    LIBS ui_driver korv_settings korv_testout korvio_sim
    FILTER "ConfigDialog.*" SUFFIX ".${lang}" ENVIRONMENT "LC_ALL=${lang}.UTF-8")
endforeach()
target_include_directories(config_dialog_ui_test PRIVATE ${CMAKE_SOURCE_DIR}/tools ${CMAKE_SOURCE_DIR}/tests/native)
korv_wine_test(config_dialog_ui_test FILTER "ConfigDialogSoak.*" SUFFIX ".en_US" ENVIRONMENT "LC_ALL=en_US.UTF-8"
  TIMEOUT 240)
# korvctl and the dialog sharing Board.ini, in both languages.
foreach(lang en_US zh_CN)
  korv_wine_test(korvctl_wine_test SOURCES korvctl_wine_test.cpp LIBS ui_driver korv_ctl korv_settings korv_testout korv_tga korv_tga_win32 korvio_sim
    SUFFIX ".${lang}" ENVIRONMENT "LC_ALL=${lang}.UTF-8")
endforeach()
