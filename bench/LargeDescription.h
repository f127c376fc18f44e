// The generated description both the description-load and the binary-file
// benchmarks measure: 100 000 parameters under the key "DEVICE".
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>

constexpr int kParams = 100000;
constexpr int kPerGroup = 500;

// 200 groups of 500 parameters: numerics with bounds and units, strings,
// enumerations, and references to shared definitions.
inline void WriteLargeDescription(const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Description xmlns=\"QXE-kvrDescription\">\n"
         "  <Resources Profile=\"Speed\"><Define Key=\"SYS_DEFAULT\" Name=\"Param Numeric\"/>"
         "<Define Key=\"SYS_UNIT_VALUE\" Name=\"tr/min\"/></Resources>\n"
         "  <Param Key=\"MODE\" Type=\"EnumSingle\" Value=\"1\"><Array Name=\"Value\"><Element Value=\"0\"/>"
         "<Element Value=\"1\"/><Element Value=\"2\"/></Array><Array Name=\"Comment\"><Element Value=\"Arr\xC3\xAAt\"/>"
         "<Element Value=\"Marche\"/><Element Value=\"Test\"/></Array><Property Name=\"BitSize\" Value=\"2\"/></Param>\n"
         "  <Group Key=\"DEVICE\" Name=\"Device\">\n";
  char key[16];
  for (int g = 0; g < kParams / kPerGroup; ++g) {
    out << "    <Group Key=\"G_" << g << "\" Name=\"Module " << g << "\">\n";
    for (int i = 0; i < kPerGroup; ++i) {
      std::snprintf(key, sizeof key, "P_%04d", i);
      switch (i % 4) {
        case 0:
          out << "      <Param Key=\"" << key << "\" Type=\"Numeric\" Alias=\"Speed\" Value=\"" << i
              << "\"><Property Name=\"Type\" Value=\"UI2\"/><Property Name=\"Max\" Value=\"6000\"/>"
                 "<Property Name=\"BitSize\" Value=\"16\"/></Param>\n";
          break;
        case 1:
          out << "      <Param Key=\"" << key << "\" Type=\"Value\" Name=\"Libell\xC3\xA9 " << i << "\" Value=\"Texte "
              << i << "\"/>\n";
          break;
        case 2:
          out << "      <ParamRef Key=\"" << key << "\" Ref=\"MODE\" Name=\"Mode " << i << "\"/>\n";
          break;
        default:
          out << "      <Param Key=\"" << key << "\" Type=\"Numeric\" Value=\"" << (i % 100)
              << "\"><Property Name=\"Type\" Value=\"I2\"/><Property Name=\"Min\" Value=\"-100\"/>"
                 "<Property Name=\"Max\" Value=\"100\"/><Property Name=\"Unit\" Value=\"%\"/></Param>\n";
      }
    }
    out << "    </Group>\n";
  }
  out << "  </Group>\n</Description>\n";
}

