# GoogleTest, built from Debian's sources with whatever toolchain this build uses,
# and the helper that registers a test program with ctest.

enable_testing()

set(VELKOR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")
if(NOT EXISTS ${VELKOR_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${VELKOR_GTEST_SOURCE}: install Debian's googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
if(WIN32)
  # GoogleTest's own Windows threading; mingw's pthreads are not needed.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
add_subdirectory(${VELKOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL SYSTEM)

# Windows tests run only where a matching Wine loader exists.
set(VELKOR_REGISTER_TESTS ON)
if(WIN32 AND (NOT VELKOR_RUN_WINDOWS_TESTS OR NOT VELKOR_WINE_AVAILABLE))
  set(VELKOR_REGISTER_TESTS OFF)
endif()

if(WIN32 AND VELKOR_REGISTER_TESTS)
  add_test(NAME wine.prefix.setup COMMAND ${VELKOR_WINE_PREFIX_TOOL} setup)
  set_tests_properties(wine.prefix.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine.prefix.stop COMMAND ${VELKOR_WINE_PREFIX_TOOL} stop)
  set_tests_properties(wine.prefix.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# velkor_add_test(NAME SOURCES files... [LIBS libs...] [PRIVATE_PREFIX] [ARGS args...])
#
# One GoogleTest program = one ctest test (discovering single tests under Wine is
# slow). Under Wine it runs in the shared test prefix; PRIVATE_PREFIX gives it a
# fresh copy of its own, for tests that change devices, registry or the Windows
# version.
function(velkor_add_test name)
  cmake_parse_arguments(T "PRIVATE_PREFIX" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main velkor_options)
  if(NOT VELKOR_REGISTER_TESTS)
    return()
  endif()
  if(WIN32 AND T_PRIVATE_PREFIX)
    add_test(NAME ${name}
             COMMAND ${VELKOR_WINE_PREFIX_TOOL} private ${name} $<TARGET_FILE:${name}> ${T_ARGS})
  else()
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# velkor_add_script_test(NAME SCRIPT [PRIVATE_PREFIX] [ARGS args...])
# A shell script test; under Wine it gets wine-run and the build folder in its
# environment (VELKOR_WINE_RUN, VELKOR_BUILD_DIR, VELKOR_SOURCE_DIR).
function(velkor_add_script_test name script)
  cmake_parse_arguments(T "PRIVATE_PREFIX" "" "ARGS" ${ARGN})
  if(NOT VELKOR_REGISTER_TESTS)
    return()
  endif()
  if(WIN32 AND T_PRIVATE_PREFIX)
    add_test(NAME ${name} COMMAND ${VELKOR_WINE_PREFIX_TOOL} private ${name} bash ${script} ${T_ARGS})
  else()
    add_test(NAME ${name} COMMAND bash ${script} ${T_ARGS})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "VELKOR_WINE_RUN=${VELKOR_WINE_RUN};VELKOR_BUILD_DIR=${CMAKE_BINARY_DIR};VELKOR_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# velkor_add_service_test(NAME SCRIPT [ARGS args...])
# A script test in a private prefix that may start velkor-service with the
# sample catalog (tests/integration/scan/service_fixture.sh): it also gets
# VELKOR_SERVICE_BINARY and VELKOR_SAMPLE_CATALOG (set by tools/sample_catalog).
function(velkor_add_service_test name script)
  velkor_add_script_test(${name} ${script} PRIVATE_PREFIX ${ARGN})
  if(TEST ${name})
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
      "VELKOR_SERVICE_BINARY=${VELKOR_SERVICE_BINARY}"
      "VELKOR_SAMPLE_CATALOG=${VELKOR_SAMPLE_CATALOG_DIR}")
  endif()
endfunction()

# velkor_add_fuzzer(NAME SOURCES files... [LIBS libs...])
# Built only in the fuzz preset; scripts/fuzz.sh runs each for a bounded time.
function(velkor_add_fuzzer name)
  if(NOT VELKOR_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS} velkor_options)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY VELKOR_FUZZERS ${name})
endfunction()

# velkor_add_benchmark(NAME SOURCES files... [LIBS libs...])
# Google Benchmark programs, built only in the bench preset (host compiler,
# optimised, no sanitizers); scripts/bench.sh runs them all.
function(velkor_add_benchmark name)
  if(NOT VELKOR_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark_main velkor_options)
  set_property(GLOBAL APPEND PROPERTY VELKOR_BENCHMARKS ${name})
endfunction()

# velkor_embed_fuzz_inputs(OUTPUT fuzzer...)
# Writes OUTPUT with one line {"fuzzer", "corpus/NAME", {bytes}} (or
# "regressions/NAME") for every kept input of the fuzz targets named, so that a
# unit test program replays them under Wine as well as natively.
function(velkor_embed_fuzz_inputs output)
  set(fuzz_root ${CMAKE_SOURCE_DIR}/tests/fuzz)
  set(entries "")
  foreach(fuzzer IN LISTS ARGN)
    foreach(kind corpus regressions)
      file(GLOB files CONFIGURE_DEPENDS ${fuzz_root}/${kind}/${fuzzer}/*)
      foreach(file IN LISTS files)
        get_filename_component(name ${file} NAME)
        if(name MATCHES "^\\.")
          continue()
        endif()
        velkor_file_bytes(${file} bytes)
        string(APPEND entries "{\"${fuzzer}\", \"${kind}/${name}\", {${bytes}}},\n")
      endforeach()
    endforeach()
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT "${entries}")
endfunction()

# velkor_embed_files(OUTPUT ROOT)
# Writes OUTPUT with one line {"relative/path", {bytes}} for every file below
# ROOT: fixtures a test program carries inside itself.
function(velkor_embed_files output root)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${root}/*)
  set(entries "")
  foreach(file IN LISTS files)
    file(RELATIVE_PATH name ${root} ${file})
    velkor_file_bytes(${file} bytes)
    string(APPEND entries "{\"${name}\", {${bytes}}},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT "${entries}")
endfunction()

# A file's bytes as the elements of a C++ initializer list ("0x12,0x34,").
function(velkor_file_bytes file out_var)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  set(${out_var} "${bytes}" PARENT_SCOPE)
endfunction()
