# Checks that the tarnwick.ole classes in the jar carry the members the
# plug-in's natives rely on, with the descriptors it registers.
# One javap run for all three classes (the JVM starts slowly).
execute_process(COMMAND ${JAVAP} -s -p -cp ${JAR} tarnwick.ole.Dispatch tarnwick.ole.ActiveControl
                        tarnwick.ole.OleException
                OUTPUT_VARIABLE all RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "javap cannot read the classes from ${JAR}")
endif()

function(expect_member class what descriptor)
  # The class's own part of the listing, from its header to the next class.
  string(FIND "${all}" "class ${class} " begin)
  if(begin LESS 0)
    message(FATAL_ERROR "no class ${class} in ${JAR}")
  endif()
  string(SUBSTRING "${all}" ${begin} -1 out)
  string(FIND "${out}" "\n}" end)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${out}" 0 ${end} out)
  string(FIND "${out}" "${what}" at)
  if(at LESS 0)
    message(FATAL_ERROR "${class}: no member '${what}'\n${out}")
  endif()
  string(SUBSTRING "${out}" ${at} 200 rest)
  string(FIND "${rest}" "descriptor: ${descriptor}\n" found)
  if(found LESS 0)
    message(FATAL_ERROR "${class}: '${what}' is not ${descriptor}\n${rest}")
  endif()
endfunction()

foreach(class tarnwick.ole.Dispatch tarnwick.ole.ActiveControl)
  expect_member(${class} "public int m_interface;" "I")
  expect_member(${class} "native void SetPropertyI(" "(ILjava/lang/Object;)V")
  expect_member(${class} "native java.lang.Object GetPropertyI(" "(I)Ljava/lang/Object;")
  expect_member(${class} "native java.lang.Object InvokeI(" "(I[Ljava/lang/Object;)Ljava/lang/Object;")
  expect_member(${class} "native int GetIdOfName(" "(Ljava/lang/String;)I")
endforeach()
expect_member(tarnwick.ole.Dispatch "tarnwick.ole.Dispatch(int)" "(I)V")
expect_member(tarnwick.ole.Dispatch "native void AddRef(" "()V")
expect_member(tarnwick.ole.Dispatch "native void Release(" "()V")
expect_member(tarnwick.ole.OleException "tarnwick.ole.OleException(java.lang.String, int)" "(Ljava/lang/String;I)V")
message(STATUS "tarnwick.ole classes as expected")
