# Test plumbing shared by every test directory.
#
# Native build: GoogleTest, GoogleMock and Google Benchmark come from the system.
# Windows build: GoogleTest is compiled from Debian's sources (/usr/src/googletest)
# with the MinGW posix compiler and each test program is one ctest entry, run
# through Wine (CMAKE_CROSSCOMPILING_EMULATOR) in the build tree's own prefix.

if(WIN32)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  endif()
  set(VELPANEL_GTEST_LIBS gtest gmock)
  set(VELPANEL_GTEST_MAIN gtest_main)
  # The prefix lives in the build tree; a fixture prepares it once per test run.
  set(VELPANEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix used by the tests")
else()
  find_package(GTest REQUIRED)
  set(VELPANEL_GTEST_LIBS GTest::gtest GTest::gmock)
  set(VELPANEL_GTEST_MAIN GTest::gtest_main)
endif()

# velpanel_add_gtest(<name> SOURCES <files...> [LIBS <libs...>] [NO_MAIN] [LABELS <labels...>])
# Builds one GoogleTest program and registers it as one ctest entry.
function(velpanel_add_gtest name)
  cmake_parse_arguments(ARG "NO_MAIN" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  velpanel_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${VELPANEL_GTEST_LIBS})
  if(NOT ARG_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${VELPANEL_GTEST_MAIN})
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix
      ENVIRONMENT "WINEPREFIX=${VELPANEL_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
    set(labels windows ${ARG_LABELS})
  else()
    set(labels native ${ARG_LABELS})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT 300)
endfunction()
