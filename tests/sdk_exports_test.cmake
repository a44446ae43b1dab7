# The shared library exports exactly the functions its public header declares, and nothing
# else, and as many as the interface has:
#   cmake -DLIBRARY=... -DHEADER=... -DNM=... -DCOUNT=... -P sdk_exports_test.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${table}")
set(exported "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] +" "" name "${line}")
  string(REGEX REPLACE "@.*" "" name "${name}")
  list(APPEND exported ${name})
endforeach()

file(READ ${HEADER} header)
string(REGEX MATCHALL "TARVEXSDK_API[ \t\r\n]+uint32_t[ \t\r\n]+TarvexSDK_[A-Za-z0-9_]+" declarations
       "${header}")
set(declared "")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE ".*[ \t\r\n]" "" name "${declaration}")
  list(APPEND declared ${name})
endforeach()

list(SORT exported)
list(SORT declared)
set(missing ${declared})
list(REMOVE_ITEM missing ${exported})
set(extra ${exported})
list(REMOVE_ITEM extra ${declared})
list(LENGTH declared count)
if(missing OR extra)
  message(FATAL_ERROR "declared but not exported: ${missing}\nexported but not declared: ${extra}")
endif()
if(NOT count EQUAL COUNT)
  message(FATAL_ERROR "${count} functions declared and exported, ${COUNT} expected")
endif()
message(STATUS "${count} functions declared and exported, nothing else")
