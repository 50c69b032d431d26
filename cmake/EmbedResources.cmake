# tamblin_embed_resources(<target> FILES <files>...)
# Embeds the files (layouts, pictures) into <target>; FindEmbeddedResource
# (platform/layout/Resources.h) finds them there; each file is found
# by its name without folder. Relative paths start at the calling folder.
include_guard(GLOBAL)

if(NOT TARGET tamblin_embed)
  add_executable(tamblin_embed ${PROJECT_SOURCE_DIR}/tools/embed/EmbedResources.cpp)
endif()

function(tamblin_embed_resources target)
  cmake_parse_arguments(A "" "" "FILES" ${ARGN})
  set(args)
  set(paths)
  set(names)
  foreach(file IN LISTS A_FILES)
    get_filename_component(path ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(name ${file} NAME)
    if(name IN_LIST names)
      message(FATAL_ERROR "tamblin_embed_resources(${target}): two files named ${name}")
    endif()
    list(APPEND names ${name})
    list(APPEND paths ${path})
    list(APPEND args "${name}=${path}")
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND tamblin_embed ${out} ${args}
    DEPENDS tamblin_embed ${paths}
    COMMENT "Embedding resources into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE platform_layout)
endfunction()
