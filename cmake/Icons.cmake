# The application icon is drawn once, as SVG; its bitmaps are rendered from it at build time.
find_program(AGENDIX_RSVG_CONVERT rsvg-convert REQUIRED)
set(AGENDIX_APP_ID io.github.agendix.Agendix)
set(AGENDIX_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/icons/${AGENDIX_APP_ID}.svg)
set(AGENDIX_ICON_SIZES 16 22 24 32 48 64 128 256)

# Renders the icon at size x size into out (a PNG path).
function(agendix_render_icon size out)
  get_filename_component(dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${AGENDIX_RSVG_CONVERT} -w ${size} -h ${size} -o ${out} ${AGENDIX_ICON_SVG}
    DEPENDS ${AGENDIX_ICON_SVG} VERBATIM)
endfunction()

# Embeds the icon bitmaps into target as kAppIcon<size>_png arrays in AppIcon.h.
function(agendix_embed_icon target)
  set(header ${CMAKE_BINARY_DIR}/embedded/AppIcon.h)
  set(parts)
  foreach(size 16 32 48 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/appicon/${size}.png)
    set(part ${CMAKE_CURRENT_BINARY_DIR}/appicon/${size}.png.h)
    agendix_render_icon(${size} ${png})
    add_custom_command(OUTPUT ${part}
      COMMAND ${CMAKE_COMMAND} -DIN=${png} -DOUT=${part} -DSYM=kAppIcon${size}_png -DMODE=binary
              -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
      DEPENDS ${png} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake VERBATIM)
    list(APPEND parts ${part})
  endforeach()
  add_custom_command(OUTPUT ${header}
    COMMAND ${CMAKE_COMMAND} -DOUT=${header} "-DPARTS=${parts}" -P ${PROJECT_SOURCE_DIR}/cmake/JoinHeaders.cmake
    DEPENDS ${parts} ${PROJECT_SOURCE_DIR}/cmake/JoinHeaders.cmake VERBATIM)
  target_sources(${target} PRIVATE ${header})
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/embedded)
endfunction()
