# Third-party libraries. Host: Debian's -dev packages. win32: Debian's mingw
# zlib plus the libraries that scripts/build-win32-deps.sh cross-compiles into
# VORN_DEPS_DIR. Both: the LZMA SDK C sources from Debian's 7zip source package.
if(WIN32)
  list(APPEND CMAKE_FIND_ROOT_PATH "${VORN_DEPS_DIR}/${VORN_DEPS_ARCH}")
  list(APPEND CMAKE_PREFIX_PATH "${VORN_DEPS_DIR}/${VORN_DEPS_ARCH}")
  set(ZLIB_USE_STATIC_LIBS ON)
endif()

find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)

find_path(LZO_INCLUDE_DIR lzo/lzo1x.h REQUIRED)
find_library(LZO_LIBRARY NAMES lzo2 REQUIRED)
add_library(vorn_lzo INTERFACE)
target_include_directories(vorn_lzo SYSTEM INTERFACE ${LZO_INCLUDE_DIR})
target_link_libraries(vorn_lzo INTERFACE ${LZO_LIBRARY})

# Ed25519 signatures of updates: libsodium.
find_path(SODIUM_INCLUDE_DIR sodium.h REQUIRED)
find_library(SODIUM_LIBRARY NAMES sodium REQUIRED)
add_library(vorn_sodium INTERFACE)
target_include_directories(vorn_sodium SYSTEM INTERFACE ${SODIUM_INCLUDE_DIR})
target_link_libraries(vorn_sodium INTERFACE ${SODIUM_LIBRARY})
if(WIN32)
  # The static library: no import decorations.
  target_compile_definitions(vorn_sodium INTERFACE SODIUM_STATIC)
endif()

set(VORN_LZMA_SDK_DIR "${VORN_DEPS_DIR}/lzma-sdk" CACHE PATH "The C folder of the LZMA SDK")
if(NOT EXISTS "${VORN_LZMA_SDK_DIR}/LzmaDec.c")
  message(FATAL_ERROR "LZMA SDK not found in ${VORN_LZMA_SDK_DIR}: run scripts/install-deps.sh")
endif()
add_library(vorn_lzma_sdk STATIC
  ${VORN_LZMA_SDK_DIR}/LzmaDec.c ${VORN_LZMA_SDK_DIR}/LzmaEnc.c ${VORN_LZMA_SDK_DIR}/LzFind.c
  ${VORN_LZMA_SDK_DIR}/CpuArch.c ${VORN_LZMA_SDK_DIR}/Lzma2Dec.c ${VORN_LZMA_SDK_DIR}/Lzma2Enc.c
  ${VORN_LZMA_SDK_DIR}/Ppmd7.c ${VORN_LZMA_SDK_DIR}/Ppmd7Dec.c ${VORN_LZMA_SDK_DIR}/Ppmd7Enc.c
  ${VORN_LZMA_SDK_DIR}/Alloc.c ${VORN_LZMA_SDK_DIR}/Bra.c ${VORN_LZMA_SDK_DIR}/Bra86.c
  # The encoder's match finder on a thread of its own: the same bytes, about
  # twice as fast on the last group of a container, which no other work overlaps.
  ${VORN_LZMA_SDK_DIR}/LzFindMt.c ${VORN_LZMA_SDK_DIR}/LzFindOpt.c ${VORN_LZMA_SDK_DIR}/Threads.c
  ${VORN_LZMA_SDK_DIR}/MtCoder.c ${VORN_LZMA_SDK_DIR}/MtDec.c ${VORN_LZMA_SDK_DIR}/7zStream.c)
# SHA-256 of the same SDK: VornPack hashes setups for package-manager manifests.
target_sources(vorn_lzma_sdk PRIVATE ${VORN_LZMA_SDK_DIR}/Sha256.c ${VORN_LZMA_SDK_DIR}/Sha256Opt.c)
target_include_directories(vorn_lzma_sdk SYSTEM PUBLIC ${VORN_LZMA_SDK_DIR})
find_package(Threads REQUIRED)
target_link_libraries(vorn_lzma_sdk PUBLIC Threads::Threads)
set_target_properties(vorn_lzma_sdk PROPERTIES POSITION_INDEPENDENT_CODE ON)
if(VORN_FUZZ OR VORN_SANITIZE)
  target_compile_options(vorn_lzma_sdk PRIVATE -fsanitize=address)
endif()

if(WIN32)
  set(GTest_DIR "${VORN_DEPS_DIR}/${VORN_DEPS_ARCH}/lib/cmake/GTest")
endif()
find_package(GTest REQUIRED)
if(NOT WIN32)
  find_package(benchmark QUIET)
endif()
