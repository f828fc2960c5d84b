# Fails when the executable's code lacks a function of PRESENT or holds one of ABSENT (C++ names,
# matched after demangling). Run after the link:
#   cmake -DNM=<nm> -DEXECUTABLE=<file> -DABSENT=<names> -DPRESENT=<names> -P check_symbols.cmake
execute_process(COMMAND ${NM} --demangle --defined-only ${EXECUTABLE}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${EXECUTABLE}")
endif()
# Only code counts: a program linked as a whole also lists the names it dropped, as absolute
# symbols at 0.
string(REGEX MATCHALL "[0-9a-fA-F]+ [Tt] [^\n]*" code "${symbols}")
foreach(name ${PRESENT})
  if(NOT code MATCHES " ${name}\\(")
    message(FATAL_ERROR "${EXECUTABLE} has no function ${name}: its symbols cannot show what it holds")
  endif()
endforeach()
foreach(name ${ABSENT})
  if(code MATCHES " ${name}\\(")
    message(FATAL_ERROR "${EXECUTABLE} holds ${name}, which only tests call")
  endif()
endforeach()
