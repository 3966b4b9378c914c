# Reads a resource manifest: one resource a line, "id type language file".
#   id        1..65535, the number the program asks for
#   type      letters, digits and "_" (MEDIADATA, BASS, ...)
#   language  neutral or ru
#   file      the rest of the line; relative paths start at `root`, and
#             paths that begin with "@build/" at `build` (files the build
#             makes, such as the show's archives)
# Blank lines and lines whose first non-blank character is "#" are skipped.
# Sets <prefix>_IDS, <prefix>_TYPES, <prefix>_LANGUAGES and <prefix>_FILES
# (absolute paths), one entry per resource in manifest order. Any malformed
# line, or a second resource with the same id, type and language, stops the
# build with the line's number.
function(ynx_read_resource_manifest manifest root build prefix)
  if(NOT EXISTS "${manifest}")
    message(FATAL_ERROR "Resource manifest ${manifest} does not exist")
  endif()
  file(READ "${manifest}" content)
  # CMake lists are ";"-separated: a ";" in the text would split lines apart.
  string(FIND "${content}" ";" semicolon)
  if(NOT semicolon EQUAL -1)
    message(FATAL_ERROR "${manifest}: \";\" is not allowed in a resource manifest")
  endif()
  string(REPLACE "\r" "" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")

  set(ids)
  set(types)
  set(languages)
  set(files)
  set(keys)
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+)[ \t]+([A-Za-z0-9_]+)[ \t]+([a-z]+)[ \t]+(.+)$")
      message(FATAL_ERROR "${manifest}:${number}: expected \"id type language file\", got \"${line}\"")
    endif()
    set(id "${CMAKE_MATCH_1}")
    set(type "${CMAKE_MATCH_2}")
    set(language "${CMAKE_MATCH_3}")
    set(path "${CMAKE_MATCH_4}")
    # Leading zeros would make "0239" and "239" two names for one resource.
    if(id MATCHES "^0" OR id GREATER 65535)
      message(FATAL_ERROR "${manifest}:${number}: resource id ${id} is not in 1..65535")
    endif()
    if(NOT language STREQUAL "neutral" AND NOT language STREQUAL "ru")
      message(FATAL_ERROR "${manifest}:${number}: language \"${language}\" is neither neutral nor ru")
    endif()
    set(key "${id}/${type}/${language}")
    if(key IN_LIST keys)
      message(FATAL_ERROR "${manifest}:${number}: resource ${id} ${type} ${language} is listed twice")
    endif()
    list(APPEND keys "${key}")
    set(base "${root}")
    if(path MATCHES "^@build/(.+)$")
      set(path "${CMAKE_MATCH_1}")
      set(base "${build}")
    endif()
    cmake_path(ABSOLUTE_PATH path BASE_DIRECTORY "${base}" NORMALIZE)
    list(APPEND ids "${id}")
    list(APPEND types "${type}")
    list(APPEND languages "${language}")
    list(APPEND files "${path}")
  endforeach()

  set(${prefix}_IDS "${ids}" PARENT_SCOPE)
  set(${prefix}_TYPES "${types}" PARENT_SCOPE)
  set(${prefix}_LANGUAGES "${languages}" PARENT_SCOPE)
  set(${prefix}_FILES "${files}" PARENT_SCOPE)
endfunction()
