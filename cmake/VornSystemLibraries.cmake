# System libraries of the Windows programs, bound on first call.
#
# A setup program runs from a downloads folder, where anyone can leave a DLL
# named like a system library. What an executable imports is loaded before
# any of its code runs, and so are the imports of those libraries: on Windows
# 7 and 8 (and under Wine) a non-KnownDLL that a system library imports, such
# as version.dll or uxtheme.dll, is looked for in the program's folder first,
# before SetDefaultDllDirectories could be called. So the executables import
# only kernel32 and the C runtime (KnownDLLs whose own imports are KnownDLLs
# too); every other system library is delay-loaded: the first call loads it
# through the framework's system-folder loader (the delay-load hook in
# VornLib/core/platform/DynamicLibrary.cpp), after the start-up has limited
# every later search to the system folder.
#
# The PE load configuration's DependentLoadFlags (what /DEPENDENTLOADFLAG:0x800
# writes) is no substitute: Windows 7, 8 and 8.1 ignore the field; Windows 10
# from version 1607 and Windows 11 apply it only to the module's own static
# imports (a system library's imports follow that library's own flags, which
# recent systems set); Wine 8 ignores it (a marker DLL planted as version.dll
# is loaded either way); and GNU ld 2.40 does not point the load-configuration
# directory at a `_load_config_used` structure. With kernel32 and the C
# runtime as the only static imports it would add nothing.
#
# For each library a delay-import library is made at configure time from the
# toolchain's import library (its exported names, as dlltool expects them in
# a .def file), and an imported target of the library's own name stands for
# it, so that `target_link_libraries(... user32)` links the delayed form.
include_guard(GLOBAL)

if(NOT WIN32)
  return()
endif()

set(VORN_DELAY_LOADED_LIBRARIES advapi32 gdi32 ole32 shell32 user32 version)

function(_vorn_delay_import_library name)
  set(folder "${CMAKE_BINARY_DIR}/delay-imports")
  set(output "${folder}/lib${name}-delay.a")
  execute_process(COMMAND "${CMAKE_C_COMPILER}" -print-file-name=lib${name}.a
                  OUTPUT_VARIABLE import_library OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${import_library}")
    message(FATAL_ERROR "no import library lib${name}.a for ${CMAKE_C_COMPILER}")
  endif()
  if(NOT EXISTS "${output}" OR "${import_library}" IS_NEWER_THAN "${output}")
    file(MAKE_DIRECTORY "${folder}")
    execute_process(COMMAND "${CMAKE_NM}" -g --defined-only "${import_library}"
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot list ${import_library}")
    endif()
    # "__imp__GetDC@4" (i686) or "__imp_GetDC" (x86-64) gives the line "GetDC@4" or "GetDC".
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX MATCHALL "[ \t]I __imp__[^\r\n]+" lines "${symbols}")
      set(strip "[ \t]I __imp__")
    else()
      string(REGEX MATCHALL "[ \t]I __imp_[^\r\n]+" lines "${symbols}")
      set(strip "[ \t]I __imp_")
    endif()
    set(def "LIBRARY ${name}.dll\nEXPORTS\n")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "${strip}" "" export "${line}")
      string(APPEND def "${export}\n")
    endforeach()
    file(WRITE "${folder}/${name}.def" "${def}")
    set(machine)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(machine -m i386 -k)
    else()
      set(machine -m i386:x86-64)
    endif()
    execute_process(COMMAND "${CMAKE_DLLTOOL}" ${machine} --input-def "${folder}/${name}.def"
                            --dllname ${name}.dll --output-delaylib "${output}"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dlltool could not make ${output}")
    endif()
  endif()
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${output}")
endfunction()

if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
  message(FATAL_ERROR "the toolchain's dlltool and nm are needed for the delay-import libraries")
endif()
foreach(library IN LISTS VORN_DELAY_LOADED_LIBRARIES)
  _vorn_delay_import_library(${library})
endforeach()
# Calls go through each function's stub, not straight through its import
# address slot: GNU ld keeps a delay-import member's stub (which fills the
# slot's first value) only when the stub itself is referenced, so a dllimport
# call would jump to an empty slot. The system headers declare every function
# DECLSPEC_IMPORT unless it is defined already.
target_compile_definitions(vorn_options INTERFACE DECLSPEC_IMPORT=)
