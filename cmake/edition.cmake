# The edition this build makes. The year decides the rest: the viewer's title
# and program name, and the source of the texts it carries. A build for
# another year sets RANOSLOV_YEAR and supplies viewer/texts/<year>.txt.
set(RANOSLOV_YEAR 2007 CACHE STRING "The year whose texts the viewer carries")

set(RANOSLOV_TITLE "Ranoslov ${RANOSLOV_YEAR}")
# Viewer program names: "RS" for 2001, otherwise "RS" and the year less 2000.
math(EXPR _ranoslov_number "${RANOSLOV_YEAR} - 2000")
if(_ranoslov_number EQUAL 1)
  set(RANOSLOV_VIEWER_NAME "RS")
else()
  set(RANOSLOV_VIEWER_NAME "RS${_ranoslov_number}")
endif()
set(RANOSLOV_TEXTS "${PROJECT_SOURCE_DIR}/viewer/texts/${RANOSLOV_YEAR}.txt")
