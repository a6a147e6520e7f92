# Embeds a text file (form description) as a C++ raw string in a generated header.
function(embed_text target input symbol)
  get_filename_component(name ${input} NAME)
  set(out ${CMAKE_BINARY_DIR}/embedded/${name}.h)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_CURRENT_SOURCE_DIR}/${input} -DOUT=${out} -DSYM=${symbol} -DMODE=text
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/embedded)
endfunction()

# Embeds a binary file (palette bitmap) as a byte array in a generated header.
function(embed_binary target input symbol)
  get_filename_component(name ${input} NAME)
  set(out ${CMAKE_BINARY_DIR}/embedded/${name}.h)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_CURRENT_SOURCE_DIR}/${input} -DOUT=${out} -DSYM=${symbol} -DMODE=binary
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/embedded)
endfunction()
