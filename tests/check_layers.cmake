cmake_minimum_required(VERSION 3.25)
# Each folder is a library and may use only the folders below it. Fails when
# a file includes from a folder its library may not use, when a folder's
# libraries link other folders than those it may use (or not all of them),
# or when Qt is included or linked below images/. Within gamefiles/, the
# forms (forms/) use none of the operations beside them.
# Run with -DSOURCE=<the source tree> and -DLINKS_<folder>=<what the
# folder's libraries link, joined by commas>.
set(may_use_io "")
set(may_use_codecs io)
set(may_use_patch io codecs)
set(may_use_gamefiles io codecs patch)
set(may_use_images io codecs patch)
set(may_use_app io codecs patch gamefiles images)
set(may_use_cli io codecs patch gamefiles images)
set(without_qt io codecs patch gamefiles)

set(faults "")
foreach(folder io codecs patch gamefiles images app cli)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE} ${SOURCE}/${folder}/*.h ${SOURCE}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${SOURCE}/${source} includes REGEX "^#include ")
    foreach(line IN LISTS includes)
      if(line MATCHES "^#include \"([a-z_]+)/" AND NOT CMAKE_MATCH_1 STREQUAL folder
         AND NOT CMAKE_MATCH_1 IN_LIST may_use_${folder})
        list(APPEND faults "${source} includes from ${CMAKE_MATCH_1}/: ${line}")
      elseif(source MATCHES "^gamefiles/forms/" AND line MATCHES "^#include \"gamefiles/[a-z_]+\\.h\"")
        list(APPEND faults "${source} is a form but includes an operation: ${line}")
      elseif(line MATCHES "^#include <Q" AND folder IN_LIST without_qt)
        list(APPEND faults "${source} includes Qt: ${line}")
      endif()
    endforeach()
  endforeach()

  string(REPLACE "," ";" links "${LINKS_${folder}}")
  set(linked "")
  foreach(library IN LISTS links)
    if(library MATCHES "^palindra_([a-z]+)" AND NOT CMAKE_MATCH_1 STREQUAL folder)
      list(APPEND linked ${CMAKE_MATCH_1})
    elseif(library MATCHES "^Qt" AND folder IN_LIST without_qt)
      list(APPEND faults "${folder}/ links ${library}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES linked)
  list(SORT linked)
  set(expected "${may_use_${folder}}")
  list(SORT expected)
  if(NOT "${linked}" STREQUAL "${expected}")
    list(APPEND faults "${folder}/ links the folders '${linked}', not '${expected}'")
  endif()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "Every folder includes and links only the folders below it.")
