# The public keys that the program trusts for the service's signed answers and
# files, one PEM file per purpose (one or more "PUBLIC KEY" blocks each, so
# that a new key can be trusted beside the old one), compiled into the
# binaries that check them. When a file is not named, the build makes a test
# pair of its own in build/<preset>/keys/ (PURPOSE.key for the service that the
# tests and the demo start, PURPOSE.pub for the build).

set(VELKOR_SCAN_ANSWER_KEYS "" CACHE FILEPATH
    "PEM file of the public keys that sign scan answers (empty: test keys made in the build folder)")
set(VELKOR_DRIVER_ANSWER_KEYS "" CACHE FILEPATH
    "PEM file of the public keys that sign driver lookup answers (empty: test keys made in the build folder)")
set(VELKOR_VERSION_FILE_KEYS "" CACHE FILEPATH
    "PEM file of the public keys that sign the self-update's version file (empty: test keys made in the build folder)")
set(VELKOR_TEST_KEY_DIR ${CMAKE_BINARY_DIR}/keys)

# velkor_public_keys_file(PURPOSE OUT_VAR): the PEM file for scan-answer,
# driver-answer or version-file, making the test pair when none is configured.
function(velkor_public_keys_file purpose out_var)
  string(TOUPPER "${purpose}" upper)
  string(REPLACE "-" "_" upper "${upper}")
  set(configured "${VELKOR_${upper}_KEYS}")
  if(configured STREQUAL "")
    set(file ${VELKOR_TEST_KEY_DIR}/${purpose}.pub)
    if(NOT EXISTS ${file})
      message(STATUS "Making the test signing key pair ${purpose} in ${VELKOR_TEST_KEY_DIR}")
      execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/make_test_signing_key.sh ${VELKOR_TEST_KEY_DIR} ${purpose}
                      RESULT_VARIABLE result)
      if(NOT result EQUAL 0)
        message(FATAL_ERROR "making the test signing key ${purpose} failed (is openssl installed?)")
      endif()
    endif()
  else()
    set(file ${configured})
  endif()
  set(${out_var} ${file} PARENT_SCOPE)
endfunction()

# velkor_embed_public_keys(OUTPUT file.cpp SYMBOL PURPOSE [SYMBOL PURPOSE...])
# Writes a source file that defines `extern const char SYMBOL[]` in namespace
# velkor as the PEM text of each purpose's keys. A file that holds no public
# key, or any private key, stops the configuration.
function(velkor_embed_public_keys output)
  set(entries ${ARGN})
  set(content "// Written by CMake from the configured public key files; do not edit.\nnamespace velkor {\n")
  while(entries)
    list(POP_FRONT entries symbol purpose)
    velkor_public_keys_file(${purpose} file)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "public key file for ${purpose} not found: ${file}")
    endif()
    file(READ ${file} pem)
    if(pem MATCHES "PRIVATE KEY")
      message(FATAL_ERROR "${file} holds a private key; the program takes public keys only")
    endif()
    if(NOT pem MATCHES "-----BEGIN PUBLIC KEY-----")
      message(FATAL_ERROR "${file} holds no \"PUBLIC KEY\" block")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    string(APPEND content "extern const char ${symbol}[] = R\"PEM(${pem})PEM\";\n")
  endwhile()
  string(APPEND content "}  // namespace velkor\n")
  file(CONFIGURE OUTPUT ${output} CONTENT "${content}" @ONLY)
endfunction()
