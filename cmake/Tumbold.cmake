# tumbold_module(<name> DEPS ... [EXTRA_SOURCES ...])
#   The static library tumbold_<name> from every .cpp file of src/<name>, with src/ on
#   the include path, so headers are included as "core/files.h", "sim/simulation.h" ...
function(tumbold_module name)
  cmake_parse_arguments(M "" "" "DEPS;EXTRA_SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources AND NOT M_EXTRA_SOURCES)
    add_library(tumbold_${name} INTERFACE)
    target_include_directories(tumbold_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(tumbold_${name} INTERFACE ${M_DEPS})
    return()
  endif()
  add_library(tumbold_${name} STATIC ${sources} ${M_EXTRA_SOURCES})
  target_include_directories(tumbold_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tumbold_${name} PUBLIC ${M_DEPS})
endfunction()

# tumbold_test(<name> DEPS ...)
#   One GoogleTest executable test_<name> from every .cpp file of tests/<name>; its
#   tests join CTest one by one. TUMBOLD_SOURCE_DIR names the repository root (and so
#   the shipped data set), TUMBOLD_BINARY_DIR the build folder.
function(tumbold_test name)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE ${T_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(test_${name} PRIVATE
    TUMBOLD_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TUMBOLD_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
