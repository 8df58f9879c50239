# Configures a small project made of two libraries, vkz_low and vkz_high
# (which links vkz_low), once for each line put at the top of a file of
# vkz_low, and checks that the library graph's check refuses exactly the
# lines that include vkz_high's header.
#
# cmake -DREPO=<source tree> -DWORK=<scratch folder> -DGENERATOR=<generator> -P check_includes.cmake

set(SRC ${WORK}/src)
file(REMOVE_RECURSE ${SRC})
file(WRITE ${WORK}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(LibGraphFixture LANGUAGES CXX)
include(${REPO}/cmake/libgraph.cmake)
vkz_core_library(vkz_low src/low/low.cpp)
vkz_core_library(vkz_high src/high/high.cpp)
target_link_libraries(vkz_high PUBLIC vkz_low)
vkz_check_library_graph()
")
file(WRITE ${SRC}/low/low.h "int low();\n")
file(WRITE ${SRC}/high/high.h "int high();\n")
# The upper library may use the lower one in any form.
file(WRITE ${SRC}/high/high.cpp
  "#include \"high/high.h\"\n#include <low/low.h>\n  #  include \"../low/low.h\"\nint high() { return low(); }\n")

set(tab "\t")
# Each case: the line put in vkz_low's file, and whether the check refuses it.
set(cases
  "#include \"high/high.h\"|refused"
  "   #include \"high/high.h\"|refused"
  "${tab}#include \"high/high.h\"|refused"
  "# include \"high/high.h\"|refused"
  "#${tab}include<high/high.h>|refused"
  "#include <high/high.h>|refused"
  "#include \"../high/high.h\"|refused"
  "#include \"low/low.h\"|allowed"
  "#include <vector>|allowed"
  "// #include \"high/high.h\"|allowed")

set(failures 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 line)
  list(GET parts 1 expected)
  file(WRITE ${SRC}/low/low.cpp "${line}\nint low() { return 0; }\n")
  # One build folder for every case: the compiler is looked at once.
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK} -B ${WORK}/build -G ${GENERATOR}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(said "${out}${err}")
  if(result EQUAL 0)
    set(got allowed)
  elseif(said MATCHES "Library graph: src/low/low.cpp \\(vkz_low\\) includes high/high.h of vkz_high")
    set(got refused)
  else()
    set(got "failed otherwise:\n${said}")
  endif()
  if(NOT got STREQUAL expected)
    message("[${line}]: expected ${expected}, got ${got}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include line(s) judged wrongly")
endif()
