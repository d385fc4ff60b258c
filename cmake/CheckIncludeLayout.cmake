# cmake -DROOT=<source dir> -P CheckIncludeLayout.cmake
# Fails when a file under pages/ or ui/ includes a header of app/ (the main window's folder):
# pages know the window only through pages/PageContext.h.
file(GLOB_RECURSE files ${ROOT}/pages/*.h ${ROOT}/pages/*.cpp ${ROOT}/ui/*.h ${ROOT}/ui/*.cpp)
set(offenders "")
foreach(f ${files})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](\\.\\./)*app/")
  if(lines)
    list(APPEND offenders "${f}: ${lines}")
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "pages/ and ui/ must not include app/:\n  ${text}")
endif()
