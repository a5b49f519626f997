# Builds the pictures and their words into the executable. zol_art_check
# checks the whole set (each picture's format and size, the lit buttons
# against their background, a 2x set against the 1x one, the words file) and
# writes one source per file, again whenever one changes; a fault stops the
# build naming the file.
# The pictures come from ZOL_ART_DIR, the tree's art/ unless a studio names
# its own folder.
set(ZOL_ART_DIR ${CMAKE_SOURCE_DIR}/art CACHE PATH "Folder the pictures are built from (see art/README.md)")
get_filename_component(art_dir "${ZOL_ART_DIR}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
# Messages name a file of the tree as art/..., any other by its full path.
cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${art_dir}" NORMALIZE art_in_tree)
if(art_in_tree)
  file(RELATIVE_PATH art_shown ${CMAKE_SOURCE_DIR} ${art_dir})
else()
  set(art_shown ${art_dir})
endif()
# A 2x/ folder made or deleted configures again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${art_dir})

set(art_pictures background lit_vollbildmodus lit_fenstermodus lit_website lit_raus_hier)
set(art_files zol.ico)
set(art_out ${CMAKE_BINARY_DIR}/generated/art)
set(ZOL_ART_SOURCES ${art_out}/icon.cpp ${art_out}/words.cpp)
foreach(picture IN LISTS art_pictures)
  list(APPEND art_files ${picture}.bmp)
  list(APPEND ZOL_ART_SOURCES ${art_out}/${picture}.cpp)
endforeach()
if(EXISTS ${art_dir}/2x)
  set(art_twice with-2x)
  foreach(picture IN LISTS art_pictures)
    list(APPEND art_files 2x/${picture}.bmp)
    list(APPEND ZOL_ART_SOURCES ${art_out}/${picture}_2x.cpp)
  endforeach()
else()
  set(art_twice without-2x)
  list(APPEND ZOL_ART_SOURCES ${art_out}/no_2x.cpp)
endif()
if(NOT EXISTS ${art_dir}/words.txt)
  message(FATAL_ERROR "${art_shown}/words.txt: missing; every picture folder needs its words (see art/README.md)")
endif()
set(art_paths ${art_dir}/words.txt)
foreach(file IN LISTS art_files)
  if(NOT EXISTS ${art_dir}/${file})
    message(FATAL_ERROR "${art_shown}/${file}: missing; run `make art` or put the picture there (see art/README.md)")
  endif()
  list(APPEND art_paths ${art_dir}/${file})
endforeach()

# The checker runs where the build runs, whatever the build is for.
if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(art_check ${CMAKE_BINARY_DIR}/art-check/zol_art_check)
  ExternalProject_Add(zol_art_check_host
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/art_check
    BINARY_DIR ${CMAKE_BINARY_DIR}/art-check
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${art_check})
  set(art_check_target zol_art_check_host)
else()
  add_subdirectory(tools/art_check)
  set(art_check $<TARGET_FILE:zol_art_check>)
  set(art_check_target zol_art_check)
endif()
if(WIN32)
  set(art_format coff)
else()
  set(art_format elf)
endif()
add_custom_command(OUTPUT ${ZOL_ART_SOURCES}
  COMMAND ${art_check} ${art_dir} ${art_shown} ${art_out} ${art_format} ${art_twice}
  DEPENDS ${art_paths} ${art_check_target}
  COMMENT "Checking the pictures of ${art_shown}" VERBATIM)
