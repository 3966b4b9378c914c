# Resources linked into a program, standing in for the resource section of
# the original platform's executables. See platform/resources/README.md.

# The resource data goes in through the assembler (.incbin): tens of MB link
# in seconds, where a C++ byte array would take minutes to compile. The
# compiler driver assembles, so no separate assembler is needed.
if(NOT CMAKE_ASM_COMPILER)
  set(CMAKE_ASM_COMPILER "${CMAKE_CXX_COMPILER}")
endif()
enable_language(ASM)

include(${CMAKE_CURRENT_LIST_DIR}/ResourceManifest.cmake)
set(YNX_RESOURCE_SCRIPTS
  ${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake
  ${CMAKE_CURRENT_LIST_DIR}/ResourceManifest.cmake
)

# ynx_embed_resources(target manifest)
# Links every file the manifest lists into target, found at run time through
# ResourceTable::Program(). Once per target. The manifest is read here for
# the dependencies and again at build time for the generated sources: an
# edited manifest reconfigures and regenerates, an edited listed file
# re-assembles.
function(ynx_embed_resources target manifest)
  get_target_property(embedded ${target} YNX_RESOURCE_MANIFEST)
  if(embedded)
    message(FATAL_ERROR "${target} already embeds ${embedded}; list everything in one manifest")
  endif()
  cmake_path(ABSOLUTE_PATH manifest NORMALIZE)
  set_target_properties(${target} PROPERTIES YNX_RESOURCE_MANIFEST "${manifest}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manifest}")

  ynx_read_resource_manifest("${manifest}" "${PROJECT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}" resource)

  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}.resources)
  set(assembly ${folder}/Resources.s)
  set(table ${folder}/ResourceTable.cpp)
  add_custom_command(
    OUTPUT ${assembly} ${table}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest} -DROOT=${PROJECT_SOURCE_DIR} -DBUILD_ROOT=${PROJECT_BINARY_DIR}
            -DASSEMBLY=${assembly} -DTABLE=${table}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedResources.cmake
    DEPENDS ${manifest} ${YNX_RESOURCE_SCRIPTS} ${resource_FILES}
    COMMENT "Embedding the resources of ${target}"
    VERBATIM
  )
  # .incbin is invisible to the compiler's dependency scan.
  set_source_files_properties(${assembly} PROPERTIES OBJECT_DEPENDS "${resource_FILES}")
  if(CMAKE_ASM_COMPILER_ID STREQUAL "Clang")
    # Clang calls the project's C++ flags unused when it only assembles.
    set_source_files_properties(${assembly} PROPERTIES COMPILE_OPTIONS -Wno-unused-command-line-argument)
  endif()
  target_sources(${target} PRIVATE ${assembly} ${table})
endfunction()
