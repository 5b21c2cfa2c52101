# Warnings and target-wide definitions shared by every target of the project.
add_library(vorn_options INTERFACE)
target_compile_options(vorn_options INTERFACE -Wall -Wextra -fno-exceptions)
target_include_directories(vorn_options INTERFACE ${CMAKE_SOURCE_DIR})

if(WIN32)
  target_compile_definitions(vorn_options INTERFACE UNICODE _UNICODE)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # Keeps 32-bit maths in SSE2, which the processor check at start-up demands.
    target_compile_options(vorn_options INTERFACE -msse2 -mfpmath=sse)
    target_link_options(vorn_options INTERFACE -Wl,--large-address-aware)
  endif()
endif()

if(VORN_SANITIZE)
  target_compile_options(vorn_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                -fno-sanitize-recover=undefined)
  target_link_options(vorn_options INTERFACE -fsanitize=address,undefined)
endif()
if(VORN_FUZZ)
  # Lets decoders bound what one input may make them allocate.
  target_compile_definitions(vorn_options INTERFACE VORN_FUZZING_BUILD)
  target_compile_options(vorn_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                -fno-sanitize-recover=undefined)
  target_link_options(vorn_options INTERFACE -fsanitize=address,undefined)
endif()
