# Each library sees the headers of its own folder and of the libraries it links, each as
# "folder/name.h", and nothing else of the tree: an include that reaches into a folder above
# does not compile. The folder is reached through a link of its own in the build tree.
function(zellora_folder_headers target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
