# vorn_program_resources(<target> NAME <name> DESCRIPTION <text> [ICON <file.ico>]
#                        [COMPANY <text>] [VERSION <a.b.c.d>])
# Gives a Windows program its icon group 128, a version block and the manifest
# that every program needs (common controls 6, asInvoker, DPI aware).
#
# vorn_ship_program(<target> [LIBRARY_THROWS]): the program as it ships,
# without symbols (and with the C++ library's end of a program that needs no
# name decoder, and its throwing functions that end the program at once
# unless LIBRARY_THROWS: VornLib/core/platform/LibraryThrows.cpp). Its
# symbols and debug information go into <file>.debug beside it first, which a
# debugger reads for a crash report: it finds the file by the program's
# .gnu_debuglink (the name and a CRC), and both carry the same RSDS signature
# (--build-id, cmake/VornCompiler.cmake) that the minidump names. The .debug
# file stays in the build folder: nothing packs or installs it (VornPack setup
# takes VornUninstall.exe beside the stub by its name alone).
include_guard(GLOBAL)
if(WIN32)
  enable_language(RC)
endif()

function(vorn_program_resources target)
  cmake_parse_arguments(ARG "" "NAME;DESCRIPTION;ICON;COMPANY;VERSION" "" ${ARGN})
  if(NOT ARG_COMPANY)
    set(ARG_COMPANY "Vorn")
  endif()
  if(NOT ARG_VERSION)
    set(ARG_VERSION "${PROJECT_VERSION}.0")
  endif()
  string(REPLACE "." "," VORN_RC_VERSION_COMMAS "${ARG_VERSION}")
  set(VORN_RC_VERSION "${ARG_VERSION}")
  set(VORN_RC_NAME "${ARG_NAME}")
  set(VORN_RC_DESCRIPTION "${ARG_DESCRIPTION}")
  set(VORN_RC_COMPANY "${ARG_COMPANY}")
  set(VORN_RC_ICON_LINE "")
  if(ARG_ICON)
    set(VORN_RC_ICON_LINE "128 ICON \"${ARG_ICON}\"")
  endif()
  set(VORN_RC_MANIFEST "${CMAKE_SOURCE_DIR}/cmake/Program.manifest")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.rc")
  configure_file("${CMAKE_SOURCE_DIR}/cmake/ProgramResources.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  set_source_files_properties("${rc}" PROPERTIES
    OBJECT_DEPENDS "${ARG_ICON};${CMAKE_SOURCE_DIR}/cmake/Program.manifest")
endfunction()

# vorn_png_pictures_only(<target>): a program that shows PNG pictures only (the
# setup and what it carries) links without the JPEG decoder.
function(vorn_png_pictures_only target)
  target_sources(${target} PRIVATE "${CMAKE_SOURCE_DIR}/VornLib/data/PngPicturesOnly.c")
endfunction()

function(vorn_ship_program target)
  cmake_parse_arguments(ARG "LIBRARY_THROWS" "" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "vorn_ship_program: the toolchain's objcopy is needed")
  endif()
  # The library's end of a program without its name decoder, and (unless
  # LIBRARY_THROWS: a program using std::filesystem) without its exceptions.
  target_sources(${target} PRIVATE "${CMAKE_SOURCE_DIR}/VornLib/core/platform/TerminateHandler.cpp")
  if(NOT ARG_LIBRARY_THROWS)
    target_sources(${target} PRIVATE "${CMAKE_SOURCE_DIR}/VornLib/core/platform/LibraryThrows.cpp")
  endif()
  set(program "$<TARGET_FILE:${target}>")
  # SOURCE_DATE_EPOCH: objcopy writes the header's date anew, the clock's
  # unless told; 0 as the linker wrote it (--no-insert-timestamp).
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=0
            "${CMAKE_OBJCOPY}" --only-keep-debug "${program}" "${program}.debug"
    COMMAND "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=0
            "${CMAKE_OBJCOPY}" --strip-all "--add-gnu-debuglink=${program}.debug" "${program}"
    COMMENT "Moving the symbols of ${target} into its .debug file"
    VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY ADDITIONAL_CLEAN_FILES "${program}.debug")
endfunction()
