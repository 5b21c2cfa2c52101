# Test executables. Each GoogleTest binary is one CTest test that writes its
# case-by-case results as XML into build/<preset>/test-results. On win32 the
# binaries run under Wine in a prefix inside the build folder; a fixture makes
# the prefix once and keeps one wineserver alive while the tests run, so that a
# test process starts in a fraction of a second.
include(CTest)

set(VORN_TEST_RESULTS "${CMAKE_BINARY_DIR}/test-results")
file(MAKE_DIRECTORY "${VORN_TEST_RESULTS}")

if(WIN32)
  set(VORN_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/cmake/wine-run.sh;${VORN_WINEPREFIX}")
  if(BUILD_TESTING)
    add_test(NAME wine.prefix COMMAND "${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh" start "${VORN_WINEPREFIX}")
    set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    add_test(NAME wine.shutdown COMMAND "${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh" stop "${VORN_WINEPREFIX}")
    set_tests_properties(wine.shutdown PROPERTIES FIXTURES_CLEANUP wine)
    # One prefix booted for all end-to-end scripts, which copy it; the first
    # to start makes it (no fixture: CTest would start the longest scripts
    # only after it).
    set(VORN_WINE_TEMPLATE "${CMAKE_BINARY_DIR}/wine-template")
    # Needs no Wine: runs for every Windows build, also where Wine cannot run it.
    add_test(NAME ${VORN_DEPS_ARCH}.ImportTables
             COMMAND "${CMAKE_SOURCE_DIR}/cmake/check-imports.sh" "${CMAKE_OBJDUMP}" "${CMAKE_BINARY_DIR}")
    set_tests_properties(${VORN_DEPS_ARCH}.ImportTables PROPERTIES LABELS static)
  endif()
endif()

# vorn_add_gtest(<name> SOURCES <files...> LIBRARIES <targets...>)
function(vorn_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main vorn_options)
  if(WIN32)
    # Console subsystem: the runner prints to the test's output.
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  set(prefix host)
  if(WIN32)
    set(prefix ${VORN_DEPS_ARCH})
  endif()
  set(results "${VORN_TEST_RESULTS}/${name}.xml")
  if(WIN32)
    # Wine sees the Linux file system as drive Z:.
    set(results "Z:${results}")
  endif()
  add_test(NAME ${prefix}.${name} COMMAND ${name} --gtest_output=xml:${results})
  set_tests_properties(${prefix}.${name} PROPERTIES TIMEOUT 600)
  if(WIN32)
    set_tests_properties(${prefix}.${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()

# vorn_use_wine_template(<test>...): end-to-end scripts that start from the
# prepared prefix (after their other properties, which would replace it).
function(vorn_use_wine_template)
  foreach(test ${ARGN})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "VORN_WINE_TEMPLATE=${VORN_WINE_TEMPLATE}")
  endforeach()
endfunction()
