set(CMAKE_C_COMPILER   ${VELKOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELKOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELKOR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELKOR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe and .dll carries its own runtime: libgcc, libstdc++ and winpthread
# are linked statically so nothing has to be shipped beside the binaries.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
