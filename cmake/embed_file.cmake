# Writes OUT: a C++ source whose function FUNCTION returns the bytes of IN.
file(READ ${IN} content HEX)
string(LENGTH "${content}" hex_length)
math(EXPR size "${hex_length} / 2")
# One byte literal per input byte keeps any content (quotes, backslashes, NUL) intact.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${content}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n#include <string_view>\n\n"
  "namespace kest {\nnamespace {\nconstexpr char kData[] = {\n${bytes}0};\n}  // namespace\n\n"
  "std::string_view ${FUNCTION}() { return {kData, ${size}}; }\n\n}  // namespace kest\n")
