# Runs the picture generator (TOOL) twice into DIR and checks that it writes
# every file with the same bytes both times, that art.rc names each file by
# absolute path under its resource name and type, and that every clip reads
# back with its size, frame count and frame time. SOURCE_DIR: the checkout.
include(${SOURCE_DIR}/tools/art/art.cmake)

function(fail what)
  message(FATAL_ERROR "${what}")
endfunction()

file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR}/a ${DIR}/b)
foreach(run a b)
  execute_process(COMMAND ${TOOL} write ${DIR}/${run} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    fail("zelta-art write failed (${rc}): ${err}")
  endif()
endforeach()

foreach(name ${ZELTA_ART_FILE_NAMES})
  foreach(run a b)
    if(NOT EXISTS ${DIR}/${run}/${name})
      fail("${name} was not written")
    endif()
  endforeach()
  if(name STREQUAL "art.rc")
    continue()
  endif()
  file(SHA256 ${DIR}/a/${name} ha)
  file(SHA256 ${DIR}/b/${name} hb)
  if(NOT ha STREQUAL hb)
    fail("${name} differs between two runs")
  endif()
endforeach()

file(READ ${DIR}/a/art.rc rc_a)
file(READ ${DIR}/b/art.rc rc_b)
string(REPLACE "${DIR}/b/" "${DIR}/a/" rc_b "${rc_b}")
if(NOT rc_a STREQUAL rc_b)
  fail("art.rc differs between two runs beyond its directory")
endif()
foreach(line
    "ZELTAWIN BITMAP \"${DIR}/a/ZeltaWin.bmp\""
    "ZELTABAS BITMAP \"${DIR}/a/ZeltaBas.bmp\""
    "ZELTAEARTH ICON \"${DIR}/a/ZeltaEarth.ico\""
    "ZELTAWIN ICON \"${DIR}/a/ZeltaWin.ico\""
    "1001 AVI \"${DIR}/a/clip1001.avi\""
    "1002 AVI \"${DIR}/a/clip1002.avi\""
    "1003 AVI \"${DIR}/a/clip1003.avi\"")
  string(FIND "${rc_a}" "${line}\n" at)
  if(at EQUAL -1)
    fail("art.rc lacks the line: ${line}\n${rc_a}")
  endif()
endforeach()

foreach(clip "1001;29 frames, 80 x 50, 166666 us" "1002;25 frames, 181 x 72, 120000 us"
             "1003;51 frames, 267 x 85, 80000 us")
  list(GET clip 0 id)
  list(GET clip 1 want)
  file(MAKE_DIRECTORY ${DIR}/frames${id})
  execute_process(COMMAND ${TOOL} frames ${DIR}/a/clip${id}.avi ${DIR}/frames${id}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "^${want} per frame")
    fail("clip ${id} reads back as '${out}' (${rc}) ${err}")
  endif()
endforeach()

# Refusals: a missing directory and a wrong command line.
execute_process(COMMAND ${TOOL} write ${DIR}/missing/dir RESULT_VARIABLE rc ERROR_QUIET)
if(rc EQUAL 0)
  fail("zelta-art wrote into a missing directory")
endif()
execute_process(COMMAND ${TOOL} draw RESULT_VARIABLE rc ERROR_QUIET)
if(rc EQUAL 0)
  fail("zelta-art accepted an unknown command")
endif()
message(STATUS "zelta-art: all files written, deterministic, art.rc complete")
