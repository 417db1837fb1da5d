# Libraries of velkor-service. Included by service/CMakeLists.txt and by the fuzz
# targets, which the fuzz build compiles without the rest of the service (no HTTP
# server, no archive reader there).
#
#   velkor_service_core: INF reading, OS codes, offer rules, scan handler, the
#                        catalog and feedback stores (SQLite, PostgreSQL's libpq)
#                        and the in-memory offer index (tinyxml2, OpenSSL's hashes)

set(VELKOR_SERVICE_SRC ${CMAKE_SOURCE_DIR}/service/src)

function(velkor_service_core_library)
  if(TARGET velkor_service_core)
    return()
  endif()
  find_package(SQLite3 REQUIRED)
  find_package(tinyxml2 REQUIRED)
  find_package(OpenSSL REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(VELKOR_LIBPQ REQUIRED IMPORTED_TARGET libpq)
  add_library(velkor_service_core STATIC
    ${VELKOR_SERVICE_SRC}/catalog_store.cpp
    ${VELKOR_SERVICE_SRC}/digest.cpp
    ${VELKOR_SERVICE_SRC}/feedback_rate.cpp
    ${VELKOR_SERVICE_SRC}/feedback_store.cpp
    ${VELKOR_SERVICE_SRC}/inf_models.cpp
    ${VELKOR_SERVICE_SRC}/inf_parser.cpp
    ${VELKOR_SERVICE_SRC}/models_choice.cpp
    ${VELKOR_SERVICE_SRC}/offer_index.cpp
    ${VELKOR_SERVICE_SRC}/offer_rules.cpp
    ${VELKOR_SERVICE_SRC}/os_codes.cpp
    ${VELKOR_SERVICE_SRC}/package_names.cpp
    ${VELKOR_SERVICE_SRC}/postgres_catalog_store.cpp
    ${VELKOR_SERVICE_SRC}/postgres_feedback_store.cpp
    ${VELKOR_SERVICE_SRC}/pq_handle.cpp
    ${VELKOR_SERVICE_SRC}/scan_handler.cpp
    ${VELKOR_SERVICE_SRC}/serving_rule.cpp
    ${VELKOR_SERVICE_SRC}/sqlite_catalog_store.cpp
    ${VELKOR_SERVICE_SRC}/sqlite_feedback_store.cpp
    ${VELKOR_SERVICE_SRC}/sqlite_handle.cpp
    ${VELKOR_SERVICE_SRC}/windows_releases.cpp)
  target_include_directories(velkor_service_core PUBLIC ${CMAKE_SOURCE_DIR}/service/src)
  target_link_libraries(velkor_service_core
    PUBLIC velkor_base velkor_os_version_code velkor_options SQLite::SQLite3 PkgConfig::VELKOR_LIBPQ
           tinyxml2::tinyxml2 OpenSSL::Crypto)
endfunction()
