# Each layer is one static library made of every .cpp file in its folder, so that adding a
# file needs no change here. The layers are listed from the bottom up; a layer links the
# ones below it.
set(KOVW_LAYERS foundation net protocol platform shell dialogs graphics session print)

# kovw_add_layer(name DEPENDS lib... ) — one static library for src/<name>.
function(kovw_add_layer name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp ${PROJECT_SOURCE_DIR}/src/${name}/*.h)
  if(NOT sources)
    add_library(kovw_${name} INTERFACE)
    target_link_libraries(kovw_${name} INTERFACE ${ARG_DEPENDS})
    target_include_directories(kovw_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    return()
  endif()
  add_library(kovw_${name} STATIC ${sources})
  target_include_directories(kovw_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(kovw_${name} PUBLIC ${ARG_DEPENDS})
endfunction()
