# tumbold_module(<name> SOURCES ... DEPS ...)
#   A static library tumbold_<name> from src/<name>, with src/ on the include path,
#   so headers are included as "core/files.h", "sim/simulation.h" and so on.
function(tumbold_module name)
  cmake_parse_arguments(M "" "" "SOURCES;DEPS" ${ARGN})
  add_library(tumbold_${name} STATIC ${M_SOURCES})
  target_include_directories(tumbold_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tumbold_${name} PUBLIC ${M_DEPS})
endfunction()

# tumbold_test(<name> SOURCES ... DEPS ...)
#   One GoogleTest executable test_<name>; its tests join CTest one by one.
#   TUMBOLD_SOURCE_DIR tells a test where the repository (and its data set) lives.
function(tumbold_test name)
  cmake_parse_arguments(T "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(test_${name} ${T_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${T_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(test_${name} PRIVATE
    TUMBOLD_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TUMBOLD_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
