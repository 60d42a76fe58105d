# Adds <root> itself when it has a CMakeLists.txt, otherwise every folder below it
# (depth first) that has one, without descending further into a folder that does.
function(orvex_add_component_dirs root)
  set(base "${PROJECT_SOURCE_DIR}/${root}")
  if(NOT IS_DIRECTORY "${base}")
    return()
  endif()
  if(EXISTS "${base}/CMakeLists.txt")
    add_subdirectory("${base}")
    return()
  endif()
  file(GLOB children LIST_DIRECTORIES true RELATIVE "${PROJECT_SOURCE_DIR}" "${base}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${PROJECT_SOURCE_DIR}/${child}")
      orvex_add_component_dirs("${child}")
    endif()
  endforeach()
endfunction()

# orvex_library(name SOURCES ... [LIBS ...]): a static library whose headers are
# included by their path from the project root ("platform/Foundation/JSON.h").
function(orvex_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# orvex_test(name SOURCES ... [LIBS ...] [ENV ...]): one GoogleTest executable,
# each of its tests registered with CTest. Tests get a private data root.
find_package(GTest REQUIRED)
include(GoogleTest)
function(orvex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} orvex_test_support GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${name}_TESTS
    PROPERTIES TIMEOUT 300)
  # gtest_discover_tests passes a list-valued property on as separate arguments, so an
  # ENVIRONMENT list there keeps only its first variable. The environment is set instead
  # by a script of its own that CTest runs after the discovered tests are defined.
  set(environment "ORVEX_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "ORVEX_BUILD_DIR=${PROJECT_BINARY_DIR}" ${ARG_ENV})
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake")
  file(GENERATE OUTPUT "${script}" CONTENT
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${environment}]==])\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()

# orvex_fuzzer(name SOURCES ... [LIBS ...] [RUNS n] [SEEDS file ...] [OPTIONS flag ...]
#              [ENV VAR=value ...]):
# a libFuzzer target that CTest runs for a fixed number of inputs. SEEDS are inputs it
# starts from (read, never written to); OPTIONS are further libFuzzer flags ("-dict=FILE",
# "-seed_inputs=@LIST" for seeds made at build time).
function(orvex_fuzzer name)
  cmake_parse_arguments(ARG "" "RUNS" "SOURCES;LIBS;SEEDS;OPTIONS;ENV" ${ARGN})
  if(NOT ORVEX_FUZZ)
    return()
  endif()
  if(NOT ARG_RUNS)
    set(ARG_RUNS 20000)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(options ${ARG_OPTIONS})
  if(ARG_SEEDS)
    list(JOIN ARG_SEEDS "," seeds)
    list(APPEND options "-seed_inputs=${seeds}")
  endif()
  add_test(NAME ${name} COMMAND ${name} -runs=${ARG_RUNS} -seed=1 -max_len=4096 ${options})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  if(ARG_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
  endif()
endfunction()

# orvex_benchmark(name SOURCES ... [LIBS ...]): a Google Benchmark program (never a test).
function(orvex_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
