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

# tamblin_tests(<name> LABEL <labels>... [DEPS <targets>...] [SOURCES <files>...]
#               [PROPERTIES <test properties>...])
# One GoogleTest executable of every *_test.cpp (and helper .cpp/.h) in the
# calling folder; each test carries the labels for ctest -L and runs headless.
# With SOURCES the executable is made of those files instead (relative to the
# calling folder), and the *_test.cpp among them are left out of the other
# executables of the folder, so a folder can split its tests in two: put the
# calls with SOURCES first.
# PROPERTIES go to every test of the executable as well, e.g.
# PROPERTIES RESOURCE_LOCK udp_ports for tests that use the program's ports.
function(tamblin_tests name)
  cmake_parse_arguments(A "" "" "LABEL;DEPS;SOURCES;PROPERTIES" ${ARGN})
  if(NOT A_LABEL)
    message(FATAL_ERROR "tamblin_tests(${name}): LABEL is missing")
  endif()
  get_directory_property(claimed TAMBLIN_CLAIMED_TESTS)
  if(A_SOURCES)
    set(srcs)
    foreach(file IN LISTS A_SOURCES)
      get_filename_component(path ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
      list(APPEND srcs ${path})
      if(path MATCHES "_test\\.cpp$")
        get_directory_property(globbed TAMBLIN_GLOBBED_TESTS)
        if(path IN_LIST globbed)
          message(FATAL_ERROR "tamblin_tests(${name}): ${file} is already in another test "
                              "executable of this folder; put the call with SOURCES first")
        endif()
        set_property(DIRECTORY APPEND PROPERTY TAMBLIN_CLAIMED_TESTS ${path})
      endif()
    endforeach()
  else()
    file(GLOB srcs CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(claimed)
      list(REMOVE_ITEM srcs ${claimed})
    endif()
    set_property(DIRECTORY APPEND PROPERTY TAMBLIN_GLOBBED_TESTS ${srcs})
  endif()
  add_executable(${name} ${srcs})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock Threads::Threads)
  if(NOT "${CMAKE_CURRENT_SOURCE_DIR}/main.cpp" IN_LIST srcs)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_LIST ${name}_TESTS
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120 ${A_PROPERTIES})
  # Several labels make a list, which the properties above do not carry
  # through the discovery step: they are given once ctest knows the tests.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_file}
       "if(${name}_TESTS)\n"
       "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${A_LABEL}\")\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
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
