# The version resource of SETUP.EXE carries the product version, as numbers
# and as text. Run with -DRC=windres -DSETUP=SETUP.EXE -DVERSION=1.0.0.1.
execute_process(COMMAND ${RC} -i ${SETUP} -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the resources of ${SETUP}")
endif()
string(REPLACE "." ", " numbers "${VERSION}")
foreach(expected
    "FILEVERSION ${numbers}"
    "PRODUCTVERSION ${numbers}"
    "VALUE \"ProductVersion\", \"${VERSION}\""
    "VALUE \"FileVersion\", \"${VERSION}\""
    "VALUE \"ProductName\", \"Tarnwick\""
    "VALUE \"CompanyName\", \"Tarnwick\"")
  string(FIND "${rc}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${SETUP}: no ${expected} in its version resource:\n${rc}")
  endif()
endforeach()
