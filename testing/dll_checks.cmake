# Reading a Windows image with llvm-readobj, for the checks of the
# deliverables' export tables (run as cmake -P scripts; READOBJ names the
# tool). Included as ${...}/testing/dll_checks.cmake.

# The tool's output for ARGN; fails the check when the tool fails.
function(readobj out)
  execute_process(COMMAND ${READOBJ} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "llvm-readobj ${ARGN} failed: ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# "ordinal name" per export, in table order.
function(exports_of dll out)
  readobj(text --coff-exports ${dll})
  string(REGEX MATCHALL "Ordinal: [0-9]+\n *Name: [^\n]*" pairs "${text}")
  list(TRANSFORM pairs REPLACE "Ordinal: ([0-9]+)\n *Name: " "\\1 ")
  set(${out} "${pairs}" PARENT_SCOPE)
endfunction()

# The names an image exports, sorted.
function(export_names_of dll out)
  exports_of(${dll} names)
  list(TRANSFORM names REPLACE "^[0-9]+ " "")
  list(SORT names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# The names a .def file exports (its indented lines), sorted.
function(def_names_of def out)
  file(STRINGS ${def} lines)
  set(names "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^  ([A-Za-z_]+)")
      list(APPEND names ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(SORT names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()
