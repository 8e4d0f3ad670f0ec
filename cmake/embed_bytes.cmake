# Writes a C++ source that holds the bytes of INPUT as the array SYMBOL (namespace tessivar), with
# SYMBOL_size its length: cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -P embed_bytes.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes a line keeps the generated file readable in a diff.
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Made by cmake/embed_bytes.cmake from ${INPUT}; not to be edited.\n"
  "#include <cstddef>\n\nnamespace tessivar {\n"
  "extern const unsigned char ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}_size;\n"
  "const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
  "const std::size_t ${SYMBOL}_size = ${size};\n}  // namespace tessivar\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
