# One static library per room. Sources are picked up by glob so that adding a file to a room needs no
# edit here; CONFIGURE_DEPENDS makes the build notice new files. EXCLUDE names files of the folder that
# belong to another target (a part shared with a room that must not link the whole of this one).
function(quz_room name)
  cmake_parse_arguments(ROOM "" "" "LINKS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(excluded ${ROOM_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(quz_${name} STATIC ${sources})
    target_include_directories(quz_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(quz_${name} PUBLIC ${ROOM_LINKS})
  else()
    # A room whose code has not been written yet still exists for its dependants.
    add_library(quz_${name} INTERFACE)
    target_include_directories(quz_${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(quz_${name} INTERFACE ${ROOM_LINKS})
  endif()
endfunction()
