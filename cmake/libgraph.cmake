# The library graph and its check.
#
# Every library of the program is made by vkz_core_library (Qt-free) or
# vkz_window_library (Qt widgets) and links exactly the libraries it uses.
# vkz_check_library_graph(), run at the end of the configuration, fails it
# when
#   - a core library links Qt or a library that is not a core library,
#   - the libraries link each other in a cycle,
#   - a file of a library includes a header of another library that the
#     library does not link (directly or through the libraries it links):
#     static libraries would build all the same, so only this check sees a
#     dependency that runs the wrong way.

function(vkz_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  set_target_properties(${name} PROPERTIES AUTOMOC OFF POSITION_INDEPENDENT_CODE ON VKZ_KIND core)
  set_property(GLOBAL APPEND PROPERTY VKZ_LIBRARIES ${name})
endfunction()

function(vkz_window_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  set_target_properties(${name} PROPERTIES VKZ_KIND window)
  set_property(GLOBAL APPEND PROPERTY VKZ_LIBRARIES ${name})
endfunction()

# A subsystem folder: its .cpp files form the core library vkz_<area>_core,
# those in win/ the window library vkz_<area>; each links the libraries
# named after CORE_LINKS and WINDOW_LINKS. A library without sources is
# not made.
function(vkz_subsystem area)
  cmake_parse_arguments(S "" "" "CORE_LINKS;WINDOW_LINKS" ${ARGN})
  file(GLOB core CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(core)
    vkz_core_library(vkz_${area}_core ${core})
    target_link_libraries(vkz_${area}_core PUBLIC ${S_CORE_LINKS})
  endif()
  file(GLOB win CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win/*.cpp)
  if(win)
    vkz_window_library(vkz_${area} ${win})
    target_link_libraries(vkz_${area} PUBLIC ${S_WINDOW_LINKS})
  endif()
endfunction()

# The program's libraries that `lib` links directly, and everything else it
# links (Qt, system libraries) in `others`.
function(_vkz_links lib out others)
  get_property(all GLOBAL PROPERTY VKZ_LIBRARIES)
  get_target_property(a ${lib} LINK_LIBRARIES)
  get_target_property(b ${lib} INTERFACE_LINK_LIBRARIES)
  set(mine)
  set(rest)
  foreach(d ${a} ${b})
    if(NOT d OR d MATCHES "NOTFOUND$")
      continue()
    endif()
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" d "${d}")
    if(d IN_LIST all)
      list(APPEND mine ${d})
    else()
      list(APPEND rest ${d})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES mine)
  set(${out} ${mine} PARENT_SCOPE)
  set(${others} ${rest} PARENT_SCOPE)
endfunction()

# The source files of `lib` under src/, as absolute paths.
function(_vkz_sources lib out)
  get_target_property(srcs ${lib} SOURCES)
  get_target_property(sdir ${lib} SOURCE_DIR)
  set(files)
  foreach(s ${srcs})
    get_filename_component(abs ${s} ABSOLUTE BASE_DIR ${sdir})
    if(abs MATCHES "^${CMAKE_SOURCE_DIR}/src/" AND EXISTS ${abs})
      list(APPEND files ${abs})
    endif()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The program's headers that file `f` includes, as paths under src/ without
# ".h" ("polling/pollloop"). Every form the preprocessor takes counts:
# spaces or tabs before and after the "#", quotes or angle brackets, a path
# relative to the file's own folder ("../polling/pollloop.h"). Headers
# outside src/ (the system's, Qt's) are left out.
function(_vkz_includes f out)
  set(ws "[ \t]*")
  file(STRINGS ${f} lines REGEX "^${ws}#${ws}include${ws}[<\"]")
  get_filename_component(fdir ${f} DIRECTORY)
  set(src "${CMAKE_SOURCE_DIR}/src/")
  set(found)
  foreach(line ${lines})
    if(NOT line MATCHES "^${ws}#${ws}include${ws}([<\"])([^>\"]+)[>\"]")
      continue()
    endif()
    set(path "${CMAKE_MATCH_2}")
    # A quoted path is looked up beside the file first, then on the include
    # path (src/); an angle-bracketed one on the include path only.
    if(CMAKE_MATCH_1 STREQUAL "\"" AND EXISTS "${fdir}/${path}")
      get_filename_component(abs "${fdir}/${path}" ABSOLUTE)
    else()
      get_filename_component(abs "${src}${path}" ABSOLUTE)
    endif()
    string(FIND "${abs}" "${src}" at)
    if(NOT at EQUAL 0)
      continue()
    endif()
    file(RELATIVE_PATH rel ${src} ${abs})
    string(REGEX REPLACE "\\.h$" "" rel "${rel}")
    list(APPEND found ${rel})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Depth-first walk: a library met again while it is still being walked
# closes a cycle.
function(_vkz_walk lib path)
  get_property(state GLOBAL PROPERTY _VKZ_WALK_${lib})
  if(state STREQUAL "done")
    return()
  endif()
  if(path)
    set(path "${path} -> ${lib}")
  else()
    set(path "${lib}")
  endif()
  if(state STREQUAL "open")
    message(FATAL_ERROR "Library graph: the libraries link each other in a cycle: ${path}")
  endif()
  set_property(GLOBAL PROPERTY _VKZ_WALK_${lib} open)
  _vkz_links(${lib} deps ignored)
  set(closure)
  foreach(d ${deps})
    _vkz_walk(${d} "${path}")
    get_property(c GLOBAL PROPERTY _VKZ_CLOSURE_${d})
    list(APPEND closure ${d} ${c})
  endforeach()
  list(REMOVE_DUPLICATES closure)
  set_property(GLOBAL PROPERTY _VKZ_CLOSURE_${lib} ${closure})
  set_property(GLOBAL PROPERTY _VKZ_WALK_${lib} done)
endfunction()

function(vkz_check_library_graph)
  get_property(all GLOBAL PROPERTY VKZ_LIBRARIES)

  # Core libraries stand on core libraries only, and never on Qt.
  foreach(lib ${all})
    get_target_property(kind ${lib} VKZ_KIND)
    if(NOT kind STREQUAL "core")
      continue()
    endif()
    _vkz_links(${lib} deps others)
    foreach(d ${deps})
      get_target_property(dkind ${d} VKZ_KIND)
      if(NOT dkind STREQUAL "core")
        message(FATAL_ERROR "Library graph: the core library ${lib} links the window library ${d}")
      endif()
    endforeach()
    foreach(d ${others})
      if(d MATCHES "^Qt|QCustomPlot")
        message(FATAL_ERROR "Library graph: the core library ${lib} links ${d}")
      endif()
    endforeach()
  endforeach()

  # No cycle; the closure of each library is what it may use.
  foreach(lib ${all})
    _vkz_walk(${lib} "")
  endforeach()

  # Which library each source file, and each folder, belongs to (a folder
  # with a core and a window library gives its headers to the core one).
  foreach(lib ${all})
    get_target_property(kind ${lib} VKZ_KIND)
    _vkz_sources(${lib} srcs)
    foreach(abs ${srcs})
      file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${abs})
      string(REGEX REPLACE "\\.cpp$" "" stem "${rel}")
      set("_owner_${stem}" ${lib})
      get_filename_component(dir ${rel} DIRECTORY)
      if(NOT DEFINED "_folder_${dir}" OR kind STREQUAL "core")
        set("_folder_${dir}" ${lib})
      endif()
      list(APPEND "_dirs_${lib}" ${dir})
    endforeach()
    list(REMOVE_DUPLICATES "_dirs_${lib}")
  endforeach()

  # Every header a library's files include belongs to that library or to
  # one it links.
  foreach(lib ${all})
    get_property(closure GLOBAL PROPERTY _VKZ_CLOSURE_${lib})
    # The library's sources and the headers of its folders that are its own.
    _vkz_sources(${lib} files)
    foreach(dir ${_dirs_${lib}})
      file(GLOB headers ${CMAKE_SOURCE_DIR}/src/${dir}/*.h)
      foreach(h ${headers})
        file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${h})
        string(REGEX REPLACE "\\.h$" "" stem "${rel}")
        if(DEFINED "_owner_${stem}")
          set(owner ${_owner_${stem}})
        else()
          set(owner ${_folder_${dir}})
        endif()
        if(owner STREQUAL lib)
          list(APPEND files ${h})
        endif()
      endforeach()
    endforeach()
    foreach(f ${files})
      _vkz_includes(${f} incs)
      foreach(inc ${incs})
        get_filename_component(idir ${inc} DIRECTORY)
        if(DEFINED "_owner_${inc}")
          set(owner ${_owner_${inc}})
        elseif(DEFINED "_folder_${idir}")
          set(owner ${_folder_${idir}})
        else()
          continue()  # not a header of the program's libraries
        endif()
        if(NOT owner STREQUAL lib AND NOT owner IN_LIST closure)
          file(RELATIVE_PATH relf ${CMAKE_SOURCE_DIR} ${f})
          message(FATAL_ERROR "Library graph: ${relf} (${lib}) includes ${inc}.h of ${owner}, which ${lib} does not link")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()
