# Turns one picture into a C++ source that defines zol::art::<SYMBOL>, its
# bytes taken in by the assembler (.incbin): a picture of megabytes costs the
# compiler nothing.
# Run as: cmake -DIN=file -DNAME=shown-name -DOUT=file.cpp -DSYMBOL=name -DASSET=asset-name
#               -DSECTION=directive [-DWIDTH=w -DHEIGHT=h] -P embed.cmake
# A BMP is checked against WIDTH x HEIGHT so that a replaced picture of the
# wrong size or format fails the build with a message naming the file.
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${IN}")
  message(FATAL_ERROR "${NAME}: missing")
endif()
file(SIZE "${IN}" size)
file(READ "${IN}" hex LIMIT 64 HEX)
string(LENGTH "${hex}" digits)

# Little-endian field of BYTES bytes at byte offset AT, as a number.
function(field out at bytes)
  math(EXPR need "2 * (${at} + ${bytes})")
  if(digits LESS need)
    message(FATAL_ERROR "${NAME}: truncated header")
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
    message(FATAL_ERROR "${NAME}: not a BMP file")
  endif()
  field(width 18 4)
  field(height 22 4)
  field(bits 28 2)
  field(compression 30 4)
  field(offset 10 4)
  if(NOT width EQUAL WIDTH OR NOT height EQUAL HEIGHT)
    message(FATAL_ERROR "${NAME}: size is ${width} x ${height} (height < 0 means top-down rows), must be ${WIDTH} x ${HEIGHT}, rows bottom-up")
  endif()
  if(NOT bits EQUAL 24)
    message(FATAL_ERROR "${NAME}: depth is ${bits} bits, must be 24")
  endif()
  if(NOT compression EQUAL 0)
    message(FATAL_ERROR "${NAME}: compressed, must be uncompressed")
  endif()
  math(EXPR need "${offset} + ((${WIDTH} * 3 + 3) / 4 * 4) * ${HEIGHT}")
  if(size LESS need)
    message(FATAL_ERROR "${NAME}: pixel data is truncated")
  endif()
endif()

# The path as an assembler string, inside a raw C++ string.
string(REPLACE "\\" "\\\\" path "${IN}")
string(REPLACE "\"" "\\\"" path "${path}")
set(label "zol_art_${SYMBOL}")
file(WRITE "${OUT}.tmp"
  "// Generated from ${NAME} at build time; do not edit.\n"
  "#include \"art/art.h\"\n"
  "extern \"C\" const uint8_t ${SYMBOL}_bytes[] __asm__(\"${label}\");\n"
  "// First in the file, and back in .text after it, as the compiler expects.\n"
  "__asm__(R\"zol(${SECTION}\n.balign 16\n${label}:\n.incbin \"${path}\", 0, ${size}\n.text\n)zol\");\n"
  "namespace zol::art {\n"
  "extern const Asset ${SYMBOL}{\"${ASSET}\", {${SYMBOL}_bytes, ${size}}};\n"
  "}\n")
file(RENAME "${OUT}.tmp" "${OUT}")
