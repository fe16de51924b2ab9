# cmake -DCOMMANDS=<compile_commands.json> -DSOURCE_DIR=<repo> -DOUT_DIR=<dir>
#       -DSHIM_DIR=<dir> -P WindowsSyntaxCheck.cmake
#
# Turns the compile commands of a Linux configure into response files for a
# Windows compiler: one per source under src/ and tools/, with the same
# include paths and definitions, Qt's win32-g++ platform folder in place of
# the Linux one, and SHIM_DIR (headers of libraries that have no Windows
# build here) ahead of them. Writes OUT_DIR/<n>.rsp and OUT_DIR/sources.txt
# (one line per source: response file, TAB, source). Fails when a source of
# src/ or tools/ is compiled by no target, so that "every source" stays true.

cmake_minimum_required(VERSION 3.25)

foreach(var COMMANDS SOURCE_DIR OUT_DIR SHIM_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "WindowsSyntaxCheck: ${var} is not set")
  endif()
endforeach()

file(READ "${COMMANDS}" json)
string(JSON count LENGTH "${json}")
file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}")

set(list "")
set(seen "")
set(n 0)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON source GET "${json}" ${i} file)
  string(JSON directory GET "${json}" ${i} directory)
  if(NOT IS_ABSOLUTE "${source}")
    set(source "${directory}/${source}")
  endif()
  file(REAL_PATH "${source}" source)
  file(RELATIVE_PATH rel "${SOURCE_DIR}" "${source}")
  if(NOT rel MATCHES "^(src|tools)/.*\\.(cpp|c)$")
    continue()
  endif()
  if(rel IN_LIST seen)
    continue()
  endif()
  list(APPEND seen "${rel}")

  string(JSON command ERROR_VARIABLE no_command GET "${json}" ${i} command)
  if(no_command)
    message(FATAL_ERROR "WindowsSyntaxCheck: no \"command\" for ${rel} (use a Makefile or Ninja generator)")
  endif()
  separate_arguments(args UNIX_COMMAND "${command}")
  list(POP_FRONT args) # the host compiler

  set(rsp "-fsyntax-only\n\"-I${SHIM_DIR}\"\n")
  set(skip_next FALSE)
  foreach(arg IN LISTS args)
    if(skip_next)
      set(skip_next FALSE)
      continue()
    endif()
    if(arg STREQUAL "-o" OR arg STREQUAL "-MF" OR arg STREQUAL "-MT")
      set(skip_next TRUE)
      continue()
    endif()
    if(arg MATCHES "^-(c|fPIC|fPIE|MD|MMD)$")
      continue()
    endif()
    if(NOT arg MATCHES "^-")
      file(REAL_PATH "${arg}" arg_path BASE_DIRECTORY "${directory}")
      if(arg_path STREQUAL source)
        continue()
      endif()
    endif()
    string(REPLACE "/mkspecs/linux-g++" "/mkspecs/win32-g++" arg "${arg}")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    string(REPLACE "\"" "\\\"" arg "${arg}")
    string(APPEND rsp "\"${arg}\"\n")
  endforeach()
  string(APPEND rsp "\"${source}\"\n")
  file(WRITE "${OUT_DIR}/${n}.rsp" "${rsp}")
  string(APPEND list "${OUT_DIR}/${n}.rsp\t${rel}\n")
  math(EXPR n "${n} + 1")
endforeach()

file(GLOB_RECURSE all RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.c"
     "${SOURCE_DIR}/tools/*.cpp" "${SOURCE_DIR}/tools/*.c")
set(missing "")
foreach(rel IN LISTS all)
  if(NOT rel IN_LIST seen)
    list(APPEND missing "${rel}")
  endif()
endforeach()
if(missing)
  list(JOIN missing ", " missing)
  message(FATAL_ERROR "WindowsSyntaxCheck: compiled by no target in the Linux configure: ${missing}")
endif()
file(WRITE "${OUT_DIR}/sources.txt" "${list}")
