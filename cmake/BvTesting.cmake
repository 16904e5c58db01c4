# GoogleTest is built from the sources Debian installs, so that the 32-bit and sanitizer
# builds get a library compiled the same way as the code under test.
if(BV_BUILD_TESTS)
  set(BV_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
  if(NOT EXISTS ${BV_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found at ${BV_GTEST_SOURCE} (install googletest)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${BV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# bv_add_test(NAME SOURCES... [LIBS libs...])
# One GoogleTest program per folder under test; CTest runs it as one test.
function(bv_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
