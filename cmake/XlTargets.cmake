# Helpers that give every target of the project the same options.

# The system's own texts are written in UTF-8 sources and must be GBK bytes in the binary.
# GB18030 gives every GBK character the same two bytes as GBK and can also hold the few
# characters GBK lacks that the standard headers use (<chrono> spells "\u00b5s"), so it
# is the execution charset; tests prove the GBK bytes.
set(XL_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=GB18030)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # clang only emits UTF-8 literals; it builds the fuzz targets, which check no text bytes.
  set(XL_CHARSET_FLAGS)
endif()

function(xl_apply_options target)
  # The build folder is "." in the debug info, so that a second checkout's compiles, taken from the
  # compile cache, do not name the first one's folder.
  target_compile_options(${target} PRIVATE -Wall -Wextra ${XL_CHARSET_FLAGS} -fdebug-prefix-map=${CMAKE_BINARY_DIR}=.)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  if(XL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
  if(XL_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=thread)
  endif()
  if(XL_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

# xl_build_paths(<target>): XL_SOURCE_DIR and XL_BINARY_DIR, the checkout's and the build's
# folders, for the programs that find files by them (tests, benchmarks, fuzz replays). They come
# from a header forced into the target's sources, not from -D options: an option that holds the
# checkout's path makes every compile of another checkout miss the compile cache, where now only
# the files that use the names differ.
function(xl_build_paths target)
  set(header ${CMAKE_BINARY_DIR}/XlBuildPaths.h)
  file(CONFIGURE OUTPUT ${header} CONTENT
       "#pragma once\n#define XL_SOURCE_DIR \"@CMAKE_SOURCE_DIR@\"\n#define XL_BINARY_DIR \"@CMAKE_BINARY_DIR@\"\n" @ONLY)
  target_compile_options(${target} PRIVATE -include ${header})
endfunction()

# xl_library(<folder> DEPENDS <targets...>): one static library per subsystem folder.
# Every .cpp below the folder belongs to it, except main.cpp files (programs).
function(xl_library dir)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.c)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(target xl_${dir})
  if(sources)
    add_library(${target} STATIC ${sources})
    xl_apply_options(${target})
    target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# xl_test_suite(<folder> LIBS <targets...>): one GoogleTest program per tests/ folder. Its
# tests carry the folder's name as their label (ctest -L net). The environment they need and
# the sanitizers' suppressions come from tests/support/TestEnvironment.cpp, linked into each
# program: the discovered tests' properties cannot carry a list such as an environment. The tests
# that SCREENS names (a GoogleTest filter: the whole client in real time under Xvfb) carry the
# label "screens" too, so a preset can leave them out (ctest -LE screens).
function(xl_test_suite dir)
  cmake_parse_arguments(ARG "" "SCREENS" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target ${dir}_tests)
  add_executable(${target} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
  xl_apply_options(${target})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  xl_build_paths(${target})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  if(ARG_SCREENS)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST TEST_FILTER "-${ARG_SCREENS}"
      PROPERTIES LABELS ${dir})
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST TEST_FILTER "${ARG_SCREENS}"
      TEST_LIST ${target}_SCREENS)
    # Two labels do not pass through the discovery's properties: they are set once it is read.
    set(labels "${CMAKE_CURRENT_BINARY_DIR}/${target}_screen_labels.cmake")
    file(WRITE ${labels} "foreach(t IN LISTS ${target}_SCREENS)\n"
                         "  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${dir};screens\")\n"
                         "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels})
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS ${dir})
  endif()
endfunction()

# xl_benchmark(<name> <sources...> LIBS <targets...>)
function(xl_benchmark name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS} ${CMAKE_SOURCE_DIR}/bench/BenchMain.cpp)
  xl_apply_options(${name})
  xl_build_paths(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
