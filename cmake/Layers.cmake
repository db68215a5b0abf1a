# korvaden_layer(<target> [SHARED] FOLDER <folder under src> SOURCES ... [LINKS ...])
#
# One layer of the control: a library (static unless SHARED) whose headers are reachable only
# through its own include view, a folder of links to the headers of
# src/<folder> (not of its subfolders, which are layers of their own). A
# target sees the views of the layers it links and no other, so an include
# that runs the wrong way does not compile.
function(korvaden_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 layer "SHARED" "FOLDER" "SOURCES;LINKS")
  set(view "${CMAKE_BINARY_DIR}/layers/${target}")
  file(REMOVE_RECURSE "${view}")
  file(MAKE_DIRECTORY "${view}/${layer_FOLDER}")
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/src/${layer_FOLDER}/*.h")
  foreach(header IN LISTS headers)
    get_filename_component(name "${header}" NAME)
    file(CREATE_LINK "${header}" "${view}/${layer_FOLDER}/${name}" SYMBOLIC)
  endforeach()

  list(TRANSFORM layer_SOURCES PREPEND "${CMAKE_SOURCE_DIR}/src/${layer_FOLDER}/" REGEX "^[^/$]")
  if(layer_SHARED)
    add_library(${target} SHARED ${layer_SOURCES})
  else()
    add_library(${target} STATIC ${layer_SOURCES})
  endif()
  target_include_directories(${target} PUBLIC "${view}")
  target_link_libraries(${target} PUBLIC ${layer_LINKS})
endfunction()
