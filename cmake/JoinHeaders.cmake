# Joins the generated headers PARTS into one header OUT.
set(text "#pragma once\n")
foreach(p ${PARTS})
  file(READ ${p} body)
  string(REPLACE "#pragma once\n" "" body "${body}")
  string(APPEND text "${body}")
endforeach()
file(WRITE ${OUT} "${text}")
