# Cross-compiles for Windows with Debian's mingw-w64 (posix thread model, which
# provides std::thread and std::mutex). Included by the per-architecture files,
# which set VORN_MINGW_TRIPLE and VORN_DEPS_ARCH first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VORN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORN_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VORN_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VORN_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VORN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs must run on a bare Windows: no runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
