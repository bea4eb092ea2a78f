# The kit's programs carry the module's kind of version resource: the
# release, and the commit in the product version (cmake/version_resource.cmake
# writes the source at each build, so a new commit relinks them and nothing
# else). KIT_VERSION is the release for the programs' --version.
set(kit_root ${CMAKE_CURRENT_LIST_DIR}/..)
file(STRINGS ${kit_root}/CMakeLists.txt kit_project_line REGEX "^project\\(speedometer VERSION")
string(REGEX MATCH "([0-9]+)\\.([0-9]+)\\.([0-9]+)" KIT_VERSION "${kit_project_line}")
set(kit_version_parts ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})

function(add_kit_version_resource target description)
  target_compile_definitions(${target} PRIVATE SPEEDOMETER_VERSION="${KIT_VERSION}")
  if(NOT WIN32)
    return()
  endif()
  list(GET kit_version_parts 0 major)
  list(GET kit_version_parts 1 minor)
  list(GET kit_version_parts 2 patch)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  set(object ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.o)
  add_custom_target(${target}_version_source
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${kit_root} -DTEMPLATE=${kit_root}/cmake/kit_version.rc.in
            -DOUTPUT=${source} -DPROJECT_VERSION=${KIT_VERSION} -DPROJECT_VERSION_MAJOR=${major}
            -DPROJECT_VERSION_MINOR=${minor} -DPROJECT_VERSION_PATCH=${patch}
            -DKIT_PROGRAM=${target} "-DKIT_DESCRIPTION=${description}"
            -P ${kit_root}/cmake/version_resource.cmake
    BYPRODUCTS ${source} VERBATIM)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER} -O coff ${source} ${object}
    DEPENDS ${source} ${target}_version_source ${kit_root}/cmake/kit.manifest)
  target_sources(${target} PRIVATE ${object})
endfunction()
