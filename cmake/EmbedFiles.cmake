# Turns files into a C++ source that holds their bytes, so the pictures travel inside the binary.
# Run as: cmake -DOUTPUT=file.cpp -DFILES="a.png|b.png" -P EmbedFiles.cmake
string(REPLACE "|" ";" FILES "${FILES}")
set(body "")
set(table "")
foreach(path IN LISTS FILES)
  get_filename_component(name "${path}" NAME)
  string(MAKE_C_IDENTIFIER "${name}" id)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND body "const unsigned char k_${id}[${size}] = {\n${bytes}};\n")
  string(APPEND table "    {\"${name}\", {k_${id}, ${size}}},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from src/render/assets; do not edit.\n"
"#include \"render/EmbeddedFiles.h\"\n\n"
"namespace pelaryn {\nnamespace {\n${body}}  // namespace\n\n"
"std::span<const EmbeddedFile> EmbeddedFiles() {\n"
"  static const EmbeddedFile files[] = {\n${table}  };\n"
"  return files;\n}\n\n}  // namespace pelaryn\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
