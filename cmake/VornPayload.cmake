# vorn_embed_payload(<target> <folder>): packs <folder> with VornPack into a
# container and links it into the Windows executable <target> as its RT_RCDATA
# resource 4096. A change to any file of the folder repacks and relinks.
#
# The framework's own string tables (VORN_FRAMEWORK_STRINGS, the files that
# every program's runtime registers) are added under "Data/Xml" unless the
# folder brings its own. The program reads its payload file by file, by name,
# so it is packed without solid groups (no file costs the decoding of others).
#
# VornPack has to run on the build machine. A Windows build uses the one in
# VORN_HOST_TOOLS_DIR when that is set (for example build/host/Tools/VornPack),
# otherwise it builds one for the host from this same tree, once, into
# <build>/host-tools (needs only the host compiler and the host libraries that
# scripts/install-deps.sh installs).
include_guard(GLOBAL)

set(VORN_HOST_TOOLS_DIR "" CACHE PATH "Folder with a VornPack built for the build machine")
# Shipped to vendors with the installer's definitions, which is where they live.
file(GLOB VORN_FRAMEWORK_STRINGS CONFIGURE_DEPENDS
     "${CMAKE_CURRENT_LIST_DIR}/../Applications/VornSetup/definitions/VornLib-Strings-*.xml")

if(WIN32)
  enable_language(RC)
endif()

function(_vorn_host_vornpack program_var depends_var)
  if(VORN_HOST_TOOLS_DIR)
    set(${program_var} "${VORN_HOST_TOOLS_DIR}/VornPack" PARENT_SCOPE)
    set(${depends_var} "${VORN_HOST_TOOLS_DIR}/VornPack" PARENT_SCOPE)
    return()
  endif()
  set(tools "${CMAKE_BINARY_DIR}/host-tools")
  set(program "${tools}/Tools/VornPack/VornPack")
  if(NOT TARGET vorn_host_tools)
    include(ExternalProject)
    # No toolchain file is passed on: this configures for the build machine.
    ExternalProject_Add(vorn_host_tools
      SOURCE_DIR "${CMAKE_SOURCE_DIR}"
      BINARY_DIR "${tools}"
      CMAKE_GENERATOR "${CMAKE_GENERATOR}"
      CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
                 "-DVORN_DEPS_DIR=${VORN_DEPS_DIR}"
      BUILD_COMMAND "${CMAKE_COMMAND}" --build "${tools}" --target VornPack
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS "${program}"
      USES_TERMINAL_BUILD ON)
  endif()
  set(${program_var} "${program}" PARENT_SCOPE)
  set(${depends_var} vorn_host_tools "${program}" PARENT_SCOPE)
endfunction()

function(vorn_embed_payload target folder)
  if(NOT WIN32)
    message(FATAL_ERROR "vorn_embed_payload: only Windows executables carry a payload resource")
  endif()
  get_filename_component(folder "${folder}" ABSOLUTE)
  _vorn_host_vornpack(vornpack vornpack_depends)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS "${folder}/*")
  set(container "${CMAKE_CURRENT_BINARY_DIR}/${target}.payload")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.payload.rc")
  # Staged afresh each time, so that a file removed from the folder goes too.
  set(staging "${CMAKE_CURRENT_BINARY_DIR}/${target}.payload.d")
  set(framework_copies)
  foreach(table IN LISTS VORN_FRAMEWORK_STRINGS)
    get_filename_component(name "${table}" NAME)
    if(NOT EXISTS "${folder}/Data/Xml/${name}")
      list(APPEND framework_copies COMMAND "${CMAKE_COMMAND}" -E copy "${table}" "${staging}/Data/Xml/")
    endif()
  endforeach()
  add_custom_command(OUTPUT "${container}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${staging}"
    COMMAND "${CMAKE_COMMAND}" -E copy_directory "${folder}" "${staging}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${staging}/Data/Xml"
    ${framework_copies}
    COMMAND "${vornpack}" pack "${staging}" -o "${container}" --no-solid
    DEPENDS ${files} ${VORN_FRAMEWORK_STRINGS} ${vornpack_depends}
    COMMENT "Packing ${folder} into ${target}'s payload"
    VERBATIM)
  file(CONFIGURE OUTPUT "${rc}" CONTENT "4096 RCDATA \"${container}\"\n")
  set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${container}")
  target_sources(${target} PRIVATE "${container}" "${rc}")
endfunction()
