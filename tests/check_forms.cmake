cmake_minimum_required(VERSION 3.25)
# Each client format's constants are spelled in its form's own files and
# nowhere else in the program (tests and fuzz targets build files by hand and
# may). Run with -DSOURCE=<the source tree>.
set(checks
  "0x0050594D|0xFD23EC43=gamefiles/forms/package\\.cpp"
  "kMapBlocksPerChunk=gamefiles/forms/package_(names|blocks)\\.(h|cpp)"
  "kIndexEntrySize=gamefiles/forms/data_file(_patch)?\\.(h|cpp)"
  "kVerdataEntrySize=gamefiles/forms/verdata\\.(h|cpp)"
  "'U', 'O', 'P'=patch/patch_file\\.cpp")
file(GLOB_RECURSE sources RELATIVE ${SOURCE} ${SOURCE}/io/*.[hc]* ${SOURCE}/codecs/*.[hc]* ${SOURCE}/patch/*.[hc]*
     ${SOURCE}/gamefiles/*.[hc]* ${SOURCE}/images/*.[hc]* ${SOURCE}/app/*.[hc]* ${SOURCE}/cli/*.[hc]*)
set(faults "")
foreach(check IN LISTS checks)
  string(FIND "${check}" "=" cut REVERSE)
  string(SUBSTRING "${check}" 0 ${cut} token)
  math(EXPR rest "${cut} + 1")
  string(SUBSTRING "${check}" ${rest} -1 home)
  foreach(source IN LISTS sources)
    if(source MATCHES "^${home}$")
      continue()
    endif()
    file(STRINGS ${SOURCE}/${source} lines REGEX "${token}")
    if(lines)
      list(APPEND faults "${source} spells a constant of another file's format (${token})")
    endif()
  endforeach()
endforeach()
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "Each format's constants are spelled in its own form's files.")
