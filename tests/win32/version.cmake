# The version resource of korvcfg.dll, read back under a Chinese system
# language so that the Chinese block arrives in GBK.
korv_wine_test(version_wine_test SOURCES version_wine_test.cpp LIBS version
  SUFFIX ".zh_CN" ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
target_compile_definitions(version_wine_test PRIVATE KORV_VERSION="${PROJECT_VERSION}")
