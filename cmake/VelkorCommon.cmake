# Settings shared by every target of the project.

set(VELKOR_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/velkor_version.h.in
               ${CMAKE_BINARY_DIR}/generated/velkor_version.h @ONLY)

# The product's addresses on the web, set once for a build: the site (the about
# box), the page the home page's web link opens, and the support address.
set(VELKOR_WEBSITE_URL "https://www.velkor-brenn.com/" CACHE STRING "The product's web site")
set(VELKOR_COMMERCIAL_URL "https://www.velkor-brenn.com/tv" CACHE STRING "The page of the home page's web link")
set(VELKOR_SUPPORT_EMAIL "support@velkor-brenn.com" CACHE STRING "The support address in the about box")
configure_file(${CMAKE_SOURCE_DIR}/cmake/velkor_links.h.in
               ${CMAKE_BINARY_DIR}/generated/velkor_links.h @ONLY)

add_library(velkor_options INTERFACE)
target_compile_options(velkor_options INTERFACE -Wall -Wextra)
target_include_directories(velkor_options INTERFACE
  ${CMAKE_SOURCE_DIR}/src
  ${CMAKE_BINARY_DIR}/generated)

if(WIN32)
  # Unicode Win32 API everywhere; Windows XP is the oldest system we run on.
  # Functions newer than XP are looked up at run time.
  target_compile_definitions(velkor_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
endif()

if(VELKOR_FUZZ)
  # Every library of a fuzz build carries libFuzzer's coverage hooks.
  set(VELKOR_SANITIZE ON)
  target_compile_options(velkor_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(VELKOR_SANITIZE)
  target_compile_options(velkor_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(velkor_options INTERFACE -fsanitize=address,undefined)
endif()

# nlohmann/json is header-only. Its Debian package lives in /usr/include, which
# must not be put on a cross compiler's include path (it would pull in Linux
# headers), so we expose only the nlohmann folder through a small staging dir.
set(VELKOR_JSON_INCLUDE ${CMAKE_BINARY_DIR}/third_party/json)
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install Debian's nlohmann-json3-dev")
endif()
file(MAKE_DIRECTORY ${VELKOR_JSON_INCLUDE})
file(CREATE_LINK /usr/include/nlohmann ${VELKOR_JSON_INCLUDE}/nlohmann SYMBOLIC)
add_library(velkor_json INTERFACE)
target_include_directories(velkor_json SYSTEM INTERFACE ${VELKOR_JSON_INCLUDE})

# zlib: the mingw package for the Windows builds, zlib1g-dev natively.
if(WIN32)
  find_library(VELKOR_ZLIB_LIBRARY NAMES libz.a z REQUIRED)
  find_path(VELKOR_ZLIB_INCLUDE zlib.h REQUIRED)
  add_library(velkor_zlib INTERFACE)
  target_link_libraries(velkor_zlib INTERFACE ${VELKOR_ZLIB_LIBRARY})
  target_include_directories(velkor_zlib SYSTEM INTERFACE ${VELKOR_ZLIB_INCLUDE})
else()
  find_package(ZLIB REQUIRED)
  add_library(velkor_zlib INTERFACE)
  target_link_libraries(velkor_zlib INTERFACE ZLIB::ZLIB)
endif()

# Adds every subfolder of the current folder that has a CMakeLists.txt.
function(velkor_add_subfolders)
  file(GLOB children CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# Gives a Windows executable or DLL a version resource.
#   velkor_version_resource(target "File description" "original-name.exe")
function(velkor_version_resource target description original_name)
  if(NOT WIN32)
    return()
  endif()
  set(VELKOR_RC_DESCRIPTION "${description}")
  set(VELKOR_RC_ORIGINAL_NAME "${original_name}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# Places a file beside each program of the build (velkor, velkorctl) the way the
# setup places it beside the installed program: one copy per destination,
# relative to the program's folder, renewed whenever the file changes. The
# target TARGET makes the copies; building a program brings them along.
#   velkor_place_beside_programs(TARGET FILE file DEPENDS deps... DESTINATIONS rel/path...)
function(velkor_place_beside_programs target)
  cmake_parse_arguments(P "" "FILE" "DEPENDS;DESTINATIONS" ${ARGN})
  set(copies "")
  foreach(program velkorctl velkor)
    if(NOT TARGET ${program})
      continue()
    endif()
    get_target_property(program_dir ${program} BINARY_DIR)
    foreach(destination IN LISTS P_DESTINATIONS)
      set(copy ${program_dir}/${destination})
      get_filename_component(copy_dir ${copy} DIRECTORY)
      add_custom_command(OUTPUT ${copy}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${copy_dir}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${P_FILE} ${copy}
        DEPENDS ${P_DEPENDS}
        VERBATIM)
      list(APPEND copies ${copy})
    endforeach()
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${copies})
  foreach(program velkorctl velkor)
    if(TARGET ${program})
      add_dependencies(${program} ${target})
    endif()
  endforeach()
endfunction()
