# The product: 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORN_MINGW_TRIPLE i686-w64-mingw32)
set(VORN_DEPS_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
