# The same sources as 64-bit Windows programs: the Wine test target on hosts
# whose kernel cannot execute 32-bit code (so Wine cannot run the product).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORN_MINGW_TRIPLE x86_64-w64-mingw32)
set(VORN_DEPS_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
