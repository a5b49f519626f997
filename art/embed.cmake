# Turns one picture into a C++ source that defines zol::art::<SYMBOL>.
# Run as: cmake -DIN=file -DOUT=file.cpp -DSYMBOL=name [-DWIDTH=w -DHEIGHT=h] -P embed.cmake
# A BMP is checked against WIDTH x HEIGHT so that a replaced picture of the
# wrong size or format fails the build with a message naming the file.
cmake_minimum_required(VERSION 3.25)
get_filename_component(name "${IN}" NAME)
if(NOT EXISTS "${IN}")
  message(FATAL_ERROR "${name}: missing (expected at ${IN})")
endif()
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" digits)

# Little-endian field of BYTES bytes at byte offset AT, as a number.
function(field out at bytes)
  math(EXPR need "2 * (${at} + ${bytes})")
  if(digits LESS need)
    message(FATAL_ERROR "${name}: truncated header")
  endif()
  set(value "")
  foreach(i RANGE 1 ${bytes})
    math(EXPR pos "2 * (${at} + ${bytes} - ${i})")
    string(SUBSTRING "${hex}" ${pos} 2 byte)
    string(APPEND value "${byte}")
  endforeach()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

if(DEFINED WIDTH)
  string(SUBSTRING "${hex}" 0 4 magic)
  if(NOT magic STREQUAL "424d")
    message(FATAL_ERROR "${name}: not a BMP file")
  endif()
  field(width 18 4)
  field(height 22 4)
  field(bits 28 2)
  field(compression 30 4)
  field(offset 10 4)
  if(NOT width EQUAL WIDTH OR NOT height EQUAL HEIGHT)
    message(FATAL_ERROR "${name}: size is ${width} x ${height} (height < 0 means top-down rows), must be ${WIDTH} x ${HEIGHT}, rows bottom-up")
  endif()
  if(NOT bits EQUAL 24)
    message(FATAL_ERROR "${name}: depth is ${bits} bits, must be 24")
  endif()
  if(NOT compression EQUAL 0)
    message(FATAL_ERROR "${name}: compressed, must be uncompressed")
  endif()
  math(EXPR need "2 * (${offset} + ((${WIDTH} * 3 + 3) / 4 * 4) * ${HEIGHT})")
  if(digits LESS need)
    message(FATAL_ERROR "${name}: pixel data is truncated")
  endif()
endif()

string(REGEX REPLACE "(..)" "0x\\1," body "${hex}")
file(WRITE "${OUT}.tmp"
  "// Generated from ${name} at build time; do not edit.\n"
  "#include \"art/art.h\"\n"
  "namespace {\nconst uint8_t data[] = {${body}};\n}\n"
  "namespace zol::art {\nextern const Asset ${SYMBOL}{\"${name}\", {data, sizeof data}};\n}\n")
file(RENAME "${OUT}.tmp" "${OUT}")
