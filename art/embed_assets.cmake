# Builds every picture of art/ into the executable: one generated source per
# picture, regenerated (and rechecked) when the picture changes.
set(ZOL_ART_SOURCES "")
function(zol_embed file symbol)
  set(in ${CMAKE_SOURCE_DIR}/art/${file})
  if(NOT EXISTS ${in})
    message(FATAL_ERROR "art/${file}: missing; run `make art` or put the picture there (see art/README.md)")
  endif()
  set(out ${CMAKE_BINARY_DIR}/generated/art/${symbol}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${in} -DOUT=${out} -DSYMBOL=${symbol} ${ARGN}
            -P ${CMAKE_SOURCE_DIR}/art/embed.cmake
    DEPENDS ${in} ${CMAKE_SOURCE_DIR}/art/embed.cmake
    COMMENT "Embedding art/${file}" VERBATIM)
  list(APPEND ZOL_ART_SOURCES ${out})
  set(ZOL_ART_SOURCES ${ZOL_ART_SOURCES} PARENT_SCOPE)
endfunction()

zol_embed(background.bmp background -DWIDTH=640 -DHEIGHT=480)
zol_embed(zol.ico icon)
zol_embed(lit_vollbildmodus.bmp lit_vollbildmodus -DWIDTH=119 -DHEIGHT=26)
zol_embed(lit_fenstermodus.bmp lit_fenstermodus -DWIDTH=119 -DHEIGHT=26)
zol_embed(lit_website.bmp lit_website -DWIDTH=119 -DHEIGHT=26)
zol_embed(lit_raus_hier.bmp lit_raus_hier -DWIDTH=119 -DHEIGHT=26)
