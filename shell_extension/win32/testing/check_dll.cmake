# Checks MORVANE.DLL as a file, read with llvm-readobj.
#   -DMODE=format -DREADOBJ=... -DDLL=... -DBITS=32|64 -DDEF=morvane.def
#       the image is PE32 i386 (32) or PE32+ x86-64 (64) and exports exactly
#       the names of the .def file, undecorated.
#   -DMODE=other -DREADOBJ=... -DDLL=... -DOTHER=...
#       OTHER, the DLL of the other bitness, has the same exports (names and
#       ordinals) and the same resources, byte for byte. Prints "SKIPPED:"
#       when OTHER is not built.

include(${CMAKE_CURRENT_LIST_DIR}/../../../testing/dll_checks.cmake)

# The resource tree with every entry's data; the addresses, which depend on
# the rest of the image, are left out.
function(resources_of dll out)
  readobj(text --coff-resources ${dll})
  string(FIND "${text}" "Resources [" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${dll} has no resources")
  endif()
  string(SUBSTRING "${text}" ${start} -1 text)
  string(REGEX REPLACE "[^\n]*(Base Table Address|DataRVA):[^\n]*\n" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(machine_of dll out)
  readobj(text --file-headers ${dll})
  string(REGEX MATCH "Format: [^\n]*" format "${text}")
  string(REGEX MATCH "Magic: 0x[0-9A-F]+" magic "${text}")
  set(${out} "${format}, ${magic}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "format")
  if(BITS EQUAL 64)
    set(wanted_machine "Format: COFF-x86-64, Magic: 0x20B")  # PE32+
  else()
    set(wanted_machine "Format: COFF-i386, Magic: 0x10B")    # PE32
  endif()
  machine_of(${DLL} machine)
  if(NOT machine STREQUAL wanted_machine)
    message(FATAL_ERROR "${DLL} is \"${machine}\", expected \"${wanted_machine}\"")
  endif()

  exports_of(${DLL} exports)
  set(names "")
  set(ordinals "")
  foreach(e IN LISTS exports)
    string(REGEX REPLACE "^([0-9]+) (.*)$" "\\1;\\2" parts "${e}")
    list(GET parts 0 ordinal)
    list(GET parts 1 name)
    list(APPEND ordinals ${ordinal})
    list(APPEND names ${name})
  endforeach()
  def_names_of(${DEF} wanted)
  list(SORT names)
  if(wanted STREQUAL "" OR NOT names STREQUAL wanted)
    message(FATAL_ERROR "${DLL} exports\n  ${names}\nexpected\n  ${wanted}")
  endif()
  list(LENGTH names count)
  list(REMOVE_DUPLICATES ordinals)
  list(LENGTH ordinals distinct)
  if(NOT distinct EQUAL count)
    message(FATAL_ERROR "${DLL} gives two exports one ordinal: ${exports}")
  endif()
  message(STATUS "${machine}; exports ${exports}")

elseif(MODE STREQUAL "other")
  if(NOT EXISTS "${OTHER}")
    message(STATUS "SKIPPED: ${OTHER} is not built")
    return()
  endif()
  machine_of(${DLL} machine)
  machine_of(${OTHER} other_machine)
  if(machine STREQUAL other_machine)
    message(FATAL_ERROR "${OTHER} is of the same kind as ${DLL} (${machine})")
  endif()
  exports_of(${DLL} exports)
  exports_of(${OTHER} other_exports)
  if(exports STREQUAL "" OR NOT exports STREQUAL other_exports)
    message(FATAL_ERROR "exports differ:\n  ${DLL}: ${exports}\n  ${OTHER}: ${other_exports}")
  endif()
  resources_of(${DLL} resources)
  resources_of(${OTHER} other_resources)
  if(NOT resources STREQUAL other_resources)
    file(WRITE ${WORK}/resources.txt "${resources}")
    file(WRITE ${WORK}/other_resources.txt "${other_resources}")
    message(FATAL_ERROR "resources differ: compare ${WORK}/resources.txt and ${WORK}/other_resources.txt")
  endif()
  string(REGEX MATCHALL "Type: [^\n]*" types "${resources}")
  message(STATUS "${OTHER} (${other_machine}) has the same exports ${exports} and resources ${types}")

else()
  message(FATAL_ERROR "MODE must be format or other")
endif()
