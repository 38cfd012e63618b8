# One static library per source folder, named tarnix_<folder>. Sources are
# picked up by glob so that adding a file needs no build-file edit; a folder
# without sources yet becomes an interface library so dependants still link.
function(tarnix_library name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(_srcs)
    add_library(tarnix_${name} STATIC ${_srcs})
    target_include_directories(tarnix_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(tarnix_${name} PUBLIC ${ARGN} Threads::Threads)
  else()
    add_library(tarnix_${name} INTERFACE)
    target_include_directories(tarnix_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(tarnix_${name} INTERFACE ${ARGN} Threads::Threads)
  endif()
endfunction()
