# The shapes every layer's CMakeLists.txt shares: the layer library from the .cpp files
# of its folder, the layer's GoogleTest executable, and tests run by a Python script.

# brambex_keep_this_systems_sources(<list variable>)
# Leaves out the other system's files: a name ending in _win32.cpp or _win32_test.cpp
# is built for Windows only, one ending in _posix.cpp or _posix_test.cpp everywhere else.
macro(brambex_keep_this_systems_sources list)
  if(WIN32)
    list(FILTER ${list} EXCLUDE REGEX "_posix(_test)?\\.cpp$")
  else()
    list(FILTER ${list} EXCLUDE REGEX "_win32(_test)?\\.cpp$")
  endif()
endmacro()

# The warnings the core layers (tags, platform, options, engine) are built with besides
# -Wall -Wextra -Wpedantic: no hidden names, no silent narrowing or sign changes, no C
# casts, no polymorphic class without a virtual destructor.
set(BRAMBEX_CORE_WARNINGS -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
                          -Wnon-virtual-dtor)

# brambex_add_layer(<name> [CORE] [DEPENDS <library>...] [EXCLUDE <regex>])
# Builds the static library brambex_<name> from the folder's *.cpp, leaving out the
# files that match EXCLUDE (the executables' main files) and the other system's files.
# CORE adds the core's warnings. A folder without sources yet gives no library.
function(brambex_add_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "CORE" "EXCLUDE" "DEPENDS")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(arg_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${arg_EXCLUDE}")
  endif()
  brambex_keep_this_systems_sources(sources)
  if(NOT sources)
    return()
  endif()
  add_library(brambex_${name} STATIC ${sources})
  target_include_directories(brambex_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(arg_DEPENDS)
    target_link_libraries(brambex_${name} PUBLIC ${arg_DEPENDS})
  endif()
  if(arg_CORE)
    target_compile_options(brambex_${name} PRIVATE ${BRAMBEX_CORE_WARNINGS})
  endif()
endfunction()

# brambex_add_layer_tests(<layer> [LIBRARIES <library>...])
# Builds <layer>_tests from the folder's *_test.cpp (this system's) against
# brambex_<layer> and the given libraries, and registers each test case under the label
# <layer>.
function(brambex_add_layer_tests layer)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LIBRARIES")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  brambex_keep_this_systems_sources(sources)
  if(NOT sources)
    return()
  endif()
  add_executable(${layer}_tests ${sources})
  target_include_directories(${layer}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${layer}_tests PRIVATE brambex_${layer} ${arg_LIBRARIES}
                                               GTest::gtest_main GTest::gmock)
  # A cross build lists the test cases when ctest starts, so that building needs no
  # emulator.
  if(CMAKE_CROSSCOMPILING)
    set(mode PRE_TEST)
  else()
    set(mode POST_BUILD)
  endif()
  gtest_discover_tests(${layer}_tests DISCOVERY_TIMEOUT 120 DISCOVERY_MODE ${mode}
                       PROPERTIES LABELS ${layer})
endfunction()

# brambex_add_python_test(<name> LABEL <label> TIMEOUT <seconds> SCRIPT <file>
#                         [EMULATED] [ARGS ...])
# Runs the script with the system Python, which carries mutagen; a script that lacks a
# tool it needs exits with 77 and the test counts as skipped. In a cross build only an
# EMULATED script is run, given "--emulator PROGRAM" before its arguments.
function(brambex_add_python_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "EMULATED" "LABEL;TIMEOUT;SCRIPT" "ARGS")
  if(CMAKE_CROSSCOMPILING)
    if(NOT arg_EMULATED OR NOT CMAKE_CROSSCOMPILING_EMULATOR)
      return()
    endif()
    list(PREPEND arg_ARGS --emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  add_test(NAME ${name} COMMAND /usr/bin/python3 ${arg_SCRIPT} ${arg_ARGS})
  set_tests_properties(${name} PROPERTIES LABELS ${arg_LABEL} SKIP_RETURN_CODE 77
                                          TIMEOUT ${arg_TIMEOUT})
endfunction()
