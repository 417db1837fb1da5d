# Driver images for driver packages that tests and the demo install under Wine:
# a DLL-shaped PE with the native subsystem, DriverEntry as entry point, no C
# runtime and no imports, carrying its vendor's version resource (the inventory
# reads the image's company name). Built from one tiny source.
include_guard(GLOBAL)

# velkor_driver_image(TARGET IMAGE COMPANY DESCRIPTION VERSION OUTPUT_DIR)
# Builds OUTPUT_DIR/IMAGE.sys as the module target TARGET.
function(velkor_driver_image target image company description version output_dir)
  set(sources ${CMAKE_SOURCE_DIR}/tests/fixtures/drivers/image)
  set(IMAGE_NAME ${image})
  set(IMAGE_COMPANY "${company}")
  set(IMAGE_DESCRIPTION "${description}")
  set(IMAGE_VERSION ${version})
  string(REPLACE "." "," IMAGE_VERSION_COMMAS ${version})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/images/${target}.rc)
  configure_file(${sources}/driver_image.rc.in ${rc} @ONLY)

  add_library(${target} MODULE ${sources}/driver_image.c ${rc})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".sys" OUTPUT_NAME ${image}
    LIBRARY_OUTPUT_DIRECTORY ${output_dir})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(entry _DriverEntry@8)
  else()
    set(entry DriverEntry)
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra -ffreestanding)
  # No link time stamp: the same sources give the same bytes, so packages built
  # from the images keep their MD5 from one build to the next.
  target_link_options(${target} PRIVATE -nostdlib -Wl,--subsystem,native -Wl,--entry,${entry}
                      -Wl,--no-insert-timestamp)
  set_property(TARGET ${target} PROPERTY LINK_LIBRARIES "")
endfunction()

# velkor_driver_images_of(SCRIPT IMAGES_DIR TARGET_PREFIX OUT_TARGETS)
# The driver images a package script names: "SCRIPT images" prints one line
# PACKAGE_ID|IMAGE|COMPANY|DESCRIPTION|VERSION per image, and each becomes
# IMAGES_DIR/PACKAGE_ID/IMAGE.sys (target TARGET_PREFIX + PACKAGE_ID). The
# targets are returned in OUT_TARGETS; the script is a configure dependency.
function(velkor_driver_images_of script images prefix out)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
  execute_process(COMMAND ${Python3_EXECUTABLE} ${script} images OUTPUT_VARIABLE lines RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${script} images failed")
  endif()
  string(REPLACE ";" "," lines "${lines}")
  string(REPLACE "\n" ";" lines "${lines}")
  set(targets "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "")
      continue()
    endif()
    string(REPLACE "|" ";" fields "${line}")
    list(GET fields 0 package_id)
    list(GET fields 1 image)
    list(GET fields 2 company)
    list(GET fields 3 description)
    list(GET fields 4 version)
    velkor_driver_image(${prefix}${package_id} ${image} "${company}" "${description}" ${version}
                        ${images}/${package_id})
    list(APPEND targets ${prefix}${package_id})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()
