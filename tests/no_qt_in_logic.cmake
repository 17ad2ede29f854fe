# Fails when a logic file includes Qt or curl.
file(GLOB_RECURSE files ${SOURCE_DIR}/base/* ${SOURCE_DIR}/state/* ${SOURCE_DIR}/tools/*
     ${SOURCE_DIR}/net/* ${SOURCE_DIR}/view/* ${SOURCE_DIR}/app/* ${SOURCE_DIR}/forms/*
     ${SOURCE_DIR}/script/*)
set(offenders)
foreach(f IN LISTS files)
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt|curl/)")
  if(lines)
    list(APPEND offenders "${f}: ${lines}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Logic files include Qt or curl:\n${offenders}")
endif()
