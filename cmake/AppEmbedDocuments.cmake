# Run with cmake -P at build time: writes OUTPUT, a C++ source that holds
# the files of DOCUMENTS (a list of "id=path" items) as byte arrays, the
# table that CAppTools::LoadXML reads.
set(arrays "")
set(rows "")
set(n 0)
foreach(item IN LISTS DOCUMENTS)
  string(FIND "${item}" "=" equals)
  string(SUBSTRING "${item}" 0 ${equals} id)
  math(EXPR start "${equals} + 1")
  string(SUBSTRING "${item}" ${start} -1 path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  get_filename_component(name "${path}" NAME)
  # A trailing 0 keeps the array valid for an empty file.
  string(APPEND arrays "// ${name}\nconst unsigned char kDocument${n}[] = {\n    ${bytes}0};\n\n")
  string(APPEND rows "    {${id}, reinterpret_cast<const char*>(kDocument${n}), ${size}},\n")
  math(EXPR n "${n} + 1")
endforeach()

file(WRITE "${OUTPUT}" "// Generated at build time from the library's own documents; do not edit.
#include \"core/AppEmbeddedDocuments.h\"

namespace {

${arrays}}  // namespace

const AppEmbeddedDocument kAppEmbeddedDocuments[] = {
${rows}};
const std::size_t kAppEmbeddedDocumentCount = ${n};
")
