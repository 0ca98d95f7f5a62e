# Checks the export tables: NPKIRRA.DLL exports exactly the names of its .def
# file, undecorated, and imports GRISTEL.DLL by ordinal 1; GRISTEL.DLL
# exports ordinal 1.
include(${CMAKE_CURRENT_LIST_DIR}/../../../testing/dll_checks.cmake)

export_names_of(${NPKIRRA} found)
def_names_of(${DEF} wanted)
list(LENGTH wanted count)
if(NOT count EQUAL 23)
  message(FATAL_ERROR "expected 23 names in ${DEF}, found ${count}")
endif()
if(NOT found STREQUAL wanted)
  message(FATAL_ERROR "NPKIRRA.DLL exports\n  ${found}\nexpected\n  ${wanted}")
endif()

readobj(imports --coff-imports ${NPKIRRA})
if(NOT imports MATCHES "Name: GRISTEL.DLL[^}]*Symbol:  \\(1\\)")
  message(FATAL_ERROR "NPKIRRA.DLL does not import GRISTEL.DLL ordinal 1:\n${imports}")
endif()

readobj(gristel --coff-exports ${GRISTEL})
if(NOT gristel MATCHES "Ordinal: 1\n")
  message(FATAL_ERROR "GRISTEL.DLL has no ordinal 1:\n${gristel}")
endif()
message(STATUS "exports as expected: ${count} names")
