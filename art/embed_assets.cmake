# Builds every picture into the executable: one generated source per
# picture, regenerated (and rechecked) when the picture changes. The pictures
# come from ZOL_ART_DIR, the tree's art/ unless a studio names its own.
set(ZOL_ART_DIR ${CMAKE_SOURCE_DIR}/art CACHE PATH "Folder the pictures are built from (see art/README.md)")
get_filename_component(art_dir "${ZOL_ART_DIR}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
# Messages name a file of the tree as art/..., any other by its full path.
cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${art_dir}" NORMALIZE art_in_tree)
if(art_in_tree)
  file(RELATIVE_PATH art_shown ${CMAKE_SOURCE_DIR} ${art_dir})
else()
  set(art_shown ${art_dir})
endif()
if(WIN32)
  set(art_section ".section .rdata,\"dr\"")
else()
  set(art_section ".section .rodata,\"a\"")
endif()

set(ZOL_ART_SOURCES "")
function(zol_embed file symbol)
  set(in ${art_dir}/${file})
  if(NOT EXISTS ${in})
    message(FATAL_ERROR "${art_shown}/${file}: missing; run `make art` or put the picture there (see art/README.md)")
  endif()
  set(out ${CMAKE_BINARY_DIR}/generated/art/${symbol}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${in} -DNAME=${art_shown}/${file} -DOUT=${out}
            -DSYMBOL=${symbol} -DASSET=${file} -DSECTION=${art_section} ${ARGN}
            -P ${CMAKE_SOURCE_DIR}/art/embed.cmake
    DEPENDS ${in} ${CMAKE_SOURCE_DIR}/art/embed.cmake
    COMMENT "Embedding ${art_shown}/${file}" VERBATIM)
  list(APPEND ZOL_ART_SOURCES ${out})
  set(ZOL_ART_SOURCES ${ZOL_ART_SOURCES} PARENT_SCOPE)
endfunction()

zol_embed(background.bmp background -DWIDTH=640 -DHEIGHT=480)
zol_embed(zol.ico icon)
zol_embed(lit_vollbildmodus.bmp lit_vollbildmodus -DWIDTH=119 -DHEIGHT=26)
zol_embed(lit_fenstermodus.bmp lit_fenstermodus -DWIDTH=119 -DHEIGHT=26)
zol_embed(lit_website.bmp lit_website -DWIDTH=119 -DHEIGHT=26)
zol_embed(lit_raus_hier.bmp lit_raus_hier -DWIDTH=119 -DHEIGHT=26)

# The 2x set is optional; without it the same symbols exist, empty.
set(twice background lit_vollbildmodus lit_fenstermodus lit_website lit_raus_hier)
if(EXISTS ${art_dir}/2x)
  zol_embed(2x/background.bmp background_2x -DWIDTH=1280 -DHEIGHT=960)
  foreach(lit IN LISTS twice)
    if(NOT lit STREQUAL "background")
      zol_embed(2x/${lit}.bmp ${lit}_2x -DWIDTH=238 -DHEIGHT=52)
    endif()
  endforeach()
else()
  set(body "")
  foreach(symbol IN LISTS twice)
    string(APPEND body "extern const Asset ${symbol}_2x{\"2x/${symbol}.bmp\", {}};\n")
  endforeach()
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/art/no_2x.cpp
    CONTENT "// Generated: this build has no art/2x/.\n#include \"art/art.h\"\nnamespace zol::art {\n${body}}\n")
  list(APPEND ZOL_ART_SOURCES ${CMAKE_BINARY_DIR}/generated/art/no_2x.cpp)
endif()
