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
    # Nothing unwinds through our frames here: no exceptions, and a crash
    # writes its minidump from the structured-exception filter. Without the
    # tables a setup's stub is about a tenth smaller. (64-bit Windows keeps
    # them: its exception dispatch walks every frame by them.)
    target_compile_options(vorn_options INTERFACE -fno-asynchronous-unwind-tables)
  endif()
  # What every setup carries (README, "The setup's own size"): each function and
  # each object in a section of its own, so that the linker can leave out what
  # no one calls or reads. For every target of the tree (the LZMA SDK's too),
  # in C and C++ only (not windres); scripts/build-windows-deps.sh builds the
  # deps cache's libraries the same way.
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections;-fdata-sections>")
  add_link_options(-Wl,--gc-sections)
  # Our code optimised for size rather than CMake's -O3 (it comes later on the
  # command line, so it wins): most of it runs once or waits on Windows. The
  # LZMA SDK, where an installation spends its processor time, does not link
  # vorn_options and keeps -O3.
  target_compile_options(vorn_options INTERFACE $<$<CONFIG:Release>:-Os>)
  # A CodeView record (an RSDS signature from the image's own bytes) in the
  # debug directory: a minidump names it for each module, which ties a crash
  # report to the .debug file of that very build (vorn_ship_program). No link
  # time in the header: the same sources give the same program.
  add_link_options(-Wl,--build-id -Wl,--no-insert-timestamp)
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
