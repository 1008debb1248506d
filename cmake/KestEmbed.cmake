# kest_embed(<target> <function> <file>): compiles <file> into <target> as
# `std::string_view kest::<function>()`, regenerated whenever the file changes.
function(kest_embed target function file)
  if(NOT TARGET ${target} OR NOT EXISTS ${file})
    return()
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded/${function}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DFUNCTION=${function}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    COMMENT "Embedding ${file}" VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
