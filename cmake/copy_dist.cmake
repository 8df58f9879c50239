cmake_minimum_required(VERSION 3.25)
# Copies dist/ beside the program. Files the program itself rewrites (the
# chosen language, the header-item selection) are copied only when missing,
# so a rebuild does not undo the user's choices.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
set(user_state "Lan/Language.bin;bin/Header.bin")
foreach(f ${files})
  if(f IN_LIST user_state AND EXISTS ${DST}/${f})
    continue()
  endif()
  get_filename_component(dir ${DST}/${f} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(COPY_FILE ${SRC}/${f} ${DST}/${f} ONLY_IF_DIFFERENT)
endforeach()
