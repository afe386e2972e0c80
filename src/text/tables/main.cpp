// Writes ICU's windows-31j mapping as a C++ header of constant arrays, from which the code page
// 932 codec composes its tables at compile time: the programs then start without loading ICU's
// converter and asking it about every character.
#include <unicode/uvernum.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

#include "windows31j.h"

namespace {

constexpr int kPerLine = 10;

// The values as C++ initializers, kPerLine to a line.
template <typename Values, typename Write>
void WriteRows(std::ostream& out, const Values& values, Write write) {
  int column = 0;
  for (const auto& value : values) {
    out << (column == 0 ? "    " : " ");
    write(value);
    out << ',';
    if (++column == kPerLine) {
      out << '\n';
      column = 0;
    }
  }
  if (column != 0) {
    out << '\n';
  }
}

std::string Header(const quillora::tables::Windows31j& mapping) {
  std::ostringstream out;
  out << std::hex << std::showbase;
  out << "// ICU " U_ICU_VERSION
         "'s windows-31j mapping, written at build time by "
         "quillora-windows31j-tables.\n"
         "#pragma once\n\n#include <array>\n#include <cstdint>\n\n"
         "namespace quillora::tables {\n\n"
         "struct UnitCode {\n  char16_t unit;\n  std::uint16_t code;\n};\n\n"
         "// Each byte alone and, after a lead byte, that byte with each trail byte, in byte "
         "order:\n// the one UTF-16 unit ICU decodes it to, or U+30FB.\n"
         "inline constexpr std::array<char16_t, "
      << std::dec << mapping.decoded.size() << std::hex << "> kWindows31jDecoded{\n";
  WriteRows(out, mapping.decoded, [&out](char16_t unit) { out << static_cast<unsigned>(unit); });
  out << "};\n\n// Each BMP unit ICU encodes, with its code (lead << 8 | trail for two bytes).\n"
         "inline constexpr std::array<UnitCode, "
      << std::dec << mapping.encoded.size() << std::hex << "> kWindows31jEncoded{{\n";
  WriteRows(out, mapping.encoded, [&out](const auto& unit_code) {
    out << '{' << static_cast<unsigned>(unit_code.first) << ", " << unit_code.second << '}';
  });
  out << "}};\n\n}  // namespace quillora::tables\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: quillora-windows31j-tables HEADER\n", stderr);
    return 2;
  }
  try {
    const std::string header = Header(quillora::tables::ReadWindows31j());
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << header;
    file.close();
    if (!file) {
      std::fprintf(stderr, "quillora-windows31j-tables: cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quillora-windows31j-tables: %s\n", error.what());
    return 1;
  }
  return 0;
}
