# The Wine test bed: every Windows test program runs under Wine in a prefix that
# lives inside the build tree.
#
#   <build>/wine/wine-run      runs one Windows program in the test prefix
#   <build>/wine/wine-prefix   makes the prefix, stops its server, gives a test a
#                              private copy of it (see docs/testing.md)
#
# ctest makes a fresh prefix at the start of every run (fixture "wine") and stops
# its persistent wineserver at the end, also when tests failed.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_loader_names wine64)
else()
  set(_loader_names wine)
endif()
find_program(VELKOR_WINE_LOADER NAMES ${_loader_names}
  PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)
find_program(VELKOR_WINESERVER NAMES wineserver wineserver64
  PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)

set(VELKOR_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
if(NOT VELKOR_WINE_LOADER OR NOT VELKOR_WINESERVER)
  message(STATUS "Wine (${_loader_names}) not found: Windows tests are built but not registered")
  set(VELKOR_WINE_AVAILABLE OFF)
else()
  set(VELKOR_WINE_AVAILABLE ON)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine/wine-run.in ${VELKOR_WINE_ROOT}/wine-run
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine/wine-prefix.in ${VELKOR_WINE_ROOT}/wine-prefix
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELKOR_WINE_ROOT}/wine-run)
  set(VELKOR_WINE_RUN ${VELKOR_WINE_ROOT}/wine-run)
  set(VELKOR_WINE_PREFIX_TOOL ${VELKOR_WINE_ROOT}/wine-prefix)
endif()
