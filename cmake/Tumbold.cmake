# The table of modules, src/modules.txt: each line a module (a folder of src/) and
# what it builds on, lowest first. TUMBOLD_MODULES lists the modules in that order;
# TUMBOLD_DEPS_<target> holds a module's line as link targets.
set(TUMBOLD_LIBRARY_TARGETS_json nlohmann_json::nlohmann_json)
set(TUMBOLD_LIBRARY_TARGETS_png lodepng_pkg)
set(TUMBOLD_LIBRARY_TARGETS_sdl PkgConfig::SDL2)
set(TUMBOLD_LIBRARY_TARGETS_adplug PkgConfig::ADPLUG)
set(TUMBOLD_LIBRARY_TARGETS_posix "")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/modules.txt)
file(STRINGS ${PROJECT_SOURCE_DIR}/src/modules.txt _module_lines REGEX "^[a-z]")
set(TUMBOLD_MODULES "")
foreach(line IN LISTS _module_lines)
  string(REGEX REPLACE "[ \t]+" ";" words "${line}")
  list(POP_FRONT words module)
  string(REPLACE "/" "_" target "tumbold_${module}")
  set(deps "")
  foreach(word IN LISTS words)
    if(DEFINED TUMBOLD_LIBRARY_TARGETS_${word})
      list(APPEND deps ${TUMBOLD_LIBRARY_TARGETS_${word}})
    else()
      string(REPLACE "/" "_" dep "tumbold_${word}")
      list(APPEND deps ${dep})
    endif()
  endforeach()
  list(APPEND TUMBOLD_MODULES ${module})
  set(TUMBOLD_DEPS_${target} ${deps})
endforeach()
unset(_module_lines)

# tumbold_module([EXTRA_SOURCES ...])
#   The static library of the module in this folder (src/app/game is tumbold_app_game)
#   from its .cpp files, linked to what its line of the table names, with src/ on the
#   include path, so headers are included as "core/files.h", "app/game/game_app.h" ...
function(tumbold_module)
  cmake_parse_arguments(M "" "" "EXTRA_SOURCES" ${ARGN})
  file(RELATIVE_PATH module ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" target "tumbold_${module}")
  if(NOT module IN_LIST TUMBOLD_MODULES)
    message(FATAL_ERROR "src/${module} has no line in src/modules.txt")
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${target} STATIC ${sources} ${M_EXTRA_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${TUMBOLD_DEPS_${target}})
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
    TUMBOLD_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TUMBOLD_BINARY_DIR="${PROJECT_BINARY_DIR}"
    TUMBOLD_OPTIMISED=$<IF:$<CONFIG:Debug>,0,1>)
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
