# lodepng as the target lodepng_pkg. The system's library (Debian's liblodepng-dev)
# when there is one; otherwise the library's own source, fetched at configure time
# from its upstream repository at one pinned commit into the build folder
# (_deps/) and compiled here, as on a Mac, where Homebrew has no lodepng.
#
#   -DTUMBOLD_LODEPNG=SOURCE                 compile the source even where the system has the library
#   -DFETCHCONTENT_SOURCE_DIR_LODEPNG=DIR    compile the copy of that source in DIR (lodepng.cpp and
#                                            lodepng.h) instead of fetching it; implies SOURCE
#
# The pinned commit is the one Debian's package is made from (its version names it),
# so both ways compile the same two files.
set(TUMBOLD_LODEPNG AUTO CACHE STRING
    "Where lodepng comes from: AUTO (the system's library, else its source), SYSTEM or SOURCE")
set_property(CACHE TUMBOLD_LODEPNG PROPERTY STRINGS AUTO SYSTEM SOURCE)
set(TUMBOLD_LODEPNG_REPOSITORY https://github.com/lvandeve/lodepng.git)
set(TUMBOLD_LODEPNG_COMMIT b4ed2cd7ecf61d29076169b49199371456d4f90b)  # LodePNG version 20220618

set(_lodepng_mode ${TUMBOLD_LODEPNG})
if(_lodepng_mode STREQUAL AUTO AND FETCHCONTENT_SOURCE_DIR_LODEPNG)
  set(_lodepng_mode SOURCE)
endif()
if(NOT _lodepng_mode MATCHES "^(AUTO|SYSTEM|SOURCE)$")
  message(FATAL_ERROR "TUMBOLD_LODEPNG is ${TUMBOLD_LODEPNG}; it takes AUTO, SYSTEM or SOURCE")
endif()

if(NOT _lodepng_mode STREQUAL SOURCE)
  find_path(LODEPNG_INCLUDE_DIR lodepng.h)
  find_library(LODEPNG_LIBRARY lodepng)
  if(LODEPNG_INCLUDE_DIR AND LODEPNG_LIBRARY)
    add_library(lodepng_pkg INTERFACE)
    target_include_directories(lodepng_pkg INTERFACE ${LODEPNG_INCLUDE_DIR})
    target_link_libraries(lodepng_pkg INTERFACE ${LODEPNG_LIBRARY})
    message(STATUS "lodepng: the system's library ${LODEPNG_LIBRARY}")
  elseif(_lodepng_mode STREQUAL SYSTEM)
    message(FATAL_ERROR "TUMBOLD_LODEPNG=SYSTEM, but no lodepng.h and lodepng library were found")
  else()
    set(_lodepng_mode SOURCE)
  endif()
endif()

if(_lodepng_mode STREQUAL SOURCE)
  include(FetchContent)
  FetchContent_Declare(lodepng GIT_REPOSITORY ${TUMBOLD_LODEPNG_REPOSITORY} GIT_TAG ${TUMBOLD_LODEPNG_COMMIT})
  # The source has no CMake project of its own: this only fetches (or finds) the files.
  FetchContent_MakeAvailable(lodepng)
  if(NOT EXISTS ${lodepng_SOURCE_DIR}/lodepng.cpp OR NOT EXISTS ${lodepng_SOURCE_DIR}/lodepng.h)
    message(FATAL_ERROR "no lodepng.cpp and lodepng.h in ${lodepng_SOURCE_DIR}")
  endif()
  add_library(lodepng_pkg STATIC ${lodepng_SOURCE_DIR}/lodepng.cpp)
  # SYSTEM: the library's own header warnings are not ours; its directory also
  # comes before the system's include folders, where another lodepng.h may lie.
  target_include_directories(lodepng_pkg SYSTEM PUBLIC ${lodepng_SOURCE_DIR})
  message(STATUS "lodepng: compiled from ${lodepng_SOURCE_DIR}")
endif()
unset(_lodepng_mode)
