# Small helpers so that every folder's CMakeLists.txt stays a few lines long.

# tamblin_library(<name> [DEPS <targets>...])
# A static library of every .cpp/.h in the calling folder. Include paths are
# relative to the project root: #include "platform/base/Component.h".
function(tamblin_library name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
endfunction()

# tamblin_tests(<name> LABEL <label> [DEPS <targets>...] [PROPERTIES <test properties>...])
# One GoogleTest executable of every *_test.cpp (and helper .cpp/.h) in the
# calling folder; each test is labelled for ctest -L and runs headless.
# PROPERTIES go to every test of the executable as well, e.g.
# PROPERTIES RESOURCE_LOCK udp_ports for tests that use the program's ports.
function(tamblin_tests name)
  cmake_parse_arguments(A "" "LABEL" "DEPS;PROPERTIES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${srcs})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock Threads::Threads)
  if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS "${A_LABEL}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 120 ${A_PROPERTIES})
endfunction()

# tamblin_fuzzer(<name> SOURCE <file.cpp> [DEPS <targets>...])
# A libFuzzer entry point (LLVMFuzzerTestOneInput). In the normal build it is
# linked with a replayer that runs the corpus fuzz/corpus/<name>/ plus a few
# thousand mutated inputs, as a ctest labelled "fuzz"; with TAMBLIN_LIBFUZZER
# it becomes a real libFuzzer binary (make fuzz).
function(tamblin_fuzzer name)
  cmake_parse_arguments(A "" "SOURCE" "DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCE})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  if(TAMBLIN_LIBFUZZER)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/driver/ReplayMain.cpp)
    add_test(NAME fuzz.${name} COMMAND ${name} ${corpus})
    set_tests_properties(fuzz.${name} PROPERTIES LABELS "fuzz"
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endif()
endfunction()

# tamblin_bench(<name> SOURCES <files...> [DEPS <targets>...])
function(tamblin_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark)
endfunction()
