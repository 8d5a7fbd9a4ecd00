# Each layer of the sources is a library of its own whose include root shows
# only its own folder: a generated folder holding one link to src/FOLDER. A
# library sees the roots of the layers it links, and nothing else, so an
# include that reaches up ("window/MainForm.h" from ui/) finds no such file
# and the build fails, instead of only the linker closing a loop later. A
# folder outside src/ (host/) names its own source as a fourth argument.
function(topo_layer_root target scope folder)
  set(source ${CMAKE_SOURCE_DIR}/src/${folder})
  if(ARGC GREATER 3)
    set(source ${ARGV3})
  endif()
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${source} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# topo_layer(TARGET FOLDER LIBS...): a static library of src/FOLDER/*.cpp
# that may include its own folder and those of LIBS (and their layers below).
function(topo_layer target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
  add_library(${target} STATIC ${sources})
  topo_layer_root(${target} PUBLIC ${folder})
  target_link_libraries(${target} PUBLIC ${ARGN})
endfunction()
