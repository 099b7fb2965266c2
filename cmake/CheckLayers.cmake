# Fails when a source file under SOURCE_DIR includes one of our headers
# without naming its folder, when a file includes a layer above its own, or
# when a file belongs to no layer (a new folder must be given its place).
# Run as: cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
# With -DEXPECTED_VIOLATIONS=N it succeeds only when exactly N are found
# (the check's own test).
cmake_minimum_required(VERSION 3.25)

# The layers, lowest first. members_<layer> are the paths a layer holds: a
# folder ("vkweb"), or a unit of a folder ("tracks/QelmTypesUnit": the track
# records sit low while the track lists of the same folder sit high). The
# longest member that a file's path starts with gives its layer. uses_<layer>
# lists the lower layers it may include; a layer may always include itself.
# The libraries in src/*/CMakeLists.txt link the same way.
set(layers foundation platform records helpers application settings localization requests lastfm
    metadatablock vkapi playback vkweb tracks metadata ui tracklists metadataviews globals cli shell)

set(members_foundation foundation)
set(uses_foundation "")
set(members_platform platform)
set(uses_platform foundation)
set(members_records tracks/records)
set(uses_records foundation)
set(members_helpers app/helpers)
set(uses_helpers foundation platform)
set(members_application app/application)
set(uses_application foundation)
set(members_settings settings)
set(uses_settings foundation platform helpers)
set(members_localization localization)
set(uses_localization foundation platform helpers settings)
set(members_requests requests)
set(uses_requests foundation platform helpers)
set(members_lastfm lastfm)
set(uses_lastfm foundation platform helpers requests)
set(members_metadatablock metadata/blocks)
set(uses_metadatablock foundation)
set(members_vkapi vkapi)
set(uses_vkapi foundation platform helpers requests metadatablock)
set(members_playback playback)
set(uses_playback foundation platform records)
set(members_vkweb vkweb)
set(uses_vkweb foundation platform records helpers requests playback)
set(members_tracks tracks/lists)
set(uses_tracks foundation platform records helpers settings requests lastfm playback vkweb)
set(members_metadata metadata/pages)
set(uses_metadata foundation platform records helpers settings localization requests lastfm metadatablock
    playback vkweb tracks)
set(members_ui ui)
set(uses_ui foundation platform helpers application settings localization)
set(members_tracklists ui/tracklists)
set(uses_tracklists foundation platform records helpers application settings localization requests playback vkweb tracks
    ui)
set(members_metadataviews metadata/views)
set(uses_metadataviews foundation platform records helpers application settings localization requests playback vkweb
    tracks ui lastfm metadatablock metadata tracklists)
set(members_globals app/globals)
set(uses_globals foundation platform records playback)
set(members_cli cli)
set(uses_cli foundation platform records helpers settings localization requests lastfm metadatablock vkapi
    playback vkweb tracks metadata)
set(members_shell app/shell)
set(uses_shell ${layers})

# LAYER_OUT: the layer of Path ("folder/.../Unit", without extension), or
# empty when no layer holds it.
function(layer_of Path LAYER_OUT)
  set(found "")
  set(found_length 0)
  foreach(layer ${layers})
    foreach(member ${members_${layer}})
      string(LENGTH "${member}" length)
      string(FIND "${Path}/" "${member}/" at)
      if(at EQUAL 0 AND length GREATER found_length)
        set(found ${layer})
        set(found_length ${length})
      endif()
    endforeach()
  endforeach()
  set(${LAYER_OUT} "${found}" PARENT_SCOPE)
endfunction()

set(violations 0)
macro(violation Text)
  if(DEFINED EXPECTED_VIOLATIONS)
    message(STATUS "violation: ${Text}")
  else()
    message(SEND_ERROR "${Text}")
  endif()
  math(EXPR violations "${violations} + 1")
endmacro()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
set(include_pattern "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\"")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h.in
     ${SOURCE_DIR}/*.inc)
foreach(source ${sources})
  string(REGEX REPLACE "\\.[a-z.]+$" "" unit "${source}")
  layer_of("${unit}" layer)
  if(layer STREQUAL "")
    violation("${source}: belongs to no layer")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "${include_pattern}")
  foreach(line ${lines})
    string(REGEX REPLACE "${include_pattern}.*" "\\1" included "${line}")
    string(FIND "${included}" "/" slash)
    # uic's header of a Designer layout beside the source is generated, not ours.
    if(slash EQUAL -1 AND included MATCHES "^ui_(.+)\\.h$")
      get_filename_component(folder "${source}" DIRECTORY)
      get_filename_component(layout "${SOURCE_DIR}/${folder}/${CMAKE_MATCH_1}.ui" ABSOLUTE)
      if(EXISTS "${layout}")
        continue()
      endif()
    endif()
    if(slash EQUAL -1)
      violation("${source}: \"${included}\" does not name its folder")
      continue()
    endif()
    string(REGEX REPLACE "\\.[a-z.]+$" "" included_unit "${included}")
    layer_of("${included_unit}" target_layer)
    if(target_layer STREQUAL "" OR target_layer STREQUAL layer OR target_layer IN_LIST uses_${layer})
      continue()
    endif()
    violation("${source}: the ${layer} layer includes \"${included}\" of the ${target_layer} layer")
  endforeach()
endforeach()

if(DEFINED EXPECTED_VIOLATIONS)
  if(NOT violations EQUAL EXPECTED_VIOLATIONS)
    message(FATAL_ERROR "layers: ${violations} violations found, ${EXPECTED_VIOLATIONS} expected")
  endif()
  message(STATUS "layers: the ${violations} expected violations found")
elseif(violations EQUAL 0)
  message(STATUS "layers: no violations")
endif()
