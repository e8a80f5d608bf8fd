# Writes the helper executable INPUT as the C++ byte array of ElevationHelperImage().
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "the elevation helper ${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# 16 bytes a line, so that the generated file stays readable.
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}.new
  "// Generated from the elevation helper's executable by embed_image.cmake.\n"
  "#include \"launcher/helper_image.h\"\n\n"
  "namespace {\n"
  "constexpr unsigned char kHelper[] = {\n    ${bytes}\n};\n"
  "}  // namespace\n\n"
  "std::string_view ElevationHelperImage() {\n"
  "  return {reinterpret_cast<const char*>(kHelper), sizeof(kHelper)};\n"
  "}\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
