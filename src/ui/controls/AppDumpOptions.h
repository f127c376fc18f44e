// The display options of the hex dump editor, in one table: each option's
// bit in the options word, its menu command and text, and how a profile
// names it. The menu, the options word and the profile reading all read it.
#pragma once

#include <cstdint>

#include "appconfig/ui/AppCtrlEditDump.h"

namespace AppDump {

// A group of options: one profile key names them, and the menu shows them
// together (one choice each, except the view options).
enum class OptionGroup { Base, Sign, ByteOrder, Bits, Columns, View, Space, MenuHide };

struct Option {
  OptionGroup group;
  std::uint32_t bit;
  unsigned command;  // 0: not in the menu
  const char* label;
  // The profile value that names it: a format (read for its base), a number,
  // or a text; null when no profile names it. A space is any one character.
  const char* profileValue;
  // Its place among the choices a profile without the group's key offers
  // (the first is current); 0 when it is not among them.
  int defaultRank;
};

using Dump = CAppCtrlEditDump;

// In menu order within each group.
inline constexpr Option kOptions[] = {
    {OptionGroup::Base, Dump::OPT_BASE_BINARY, Dump::ID_BASE_BINARY, "Binaire", "%b", 2},
    {OptionGroup::Base, Dump::OPT_BASE_FORMAT_2, 0, nullptr, "%o", 3},
    {OptionGroup::Base, Dump::OPT_BASE_HEXA, Dump::ID_BASE_HEXA, "Hexadécimal", "%x", 4},
    {OptionGroup::Base, Dump::OPT_BASE_DECIMAL, Dump::ID_BASE_DECIMAL, "Décimal", "%d", 1},
    {OptionGroup::Base, Dump::OPT_BASE_FORMAT_16, 0, nullptr, "%f", 0},
    {OptionGroup::ByteOrder, Dump::OPT_INTEL, Dump::ID_INTEL, "Intel", "Intel", 1},
    {OptionGroup::ByteOrder, Dump::OPT_MOTOROLA, Dump::ID_MOTOROLA, "Motorola", "Motorola", 2},
    {OptionGroup::Sign, Dump::OPT_SIGNED, Dump::ID_SIGNED, "Entier signé", nullptr, 0},
    {OptionGroup::Sign, Dump::OPT_UNSIGNED, Dump::ID_UNSIGNED, "Entier non signé", nullptr, 0},
    {OptionGroup::Bits, Dump::OPT_BITS_8, Dump::ID_FORMAT_8, "8 bits", "8", 1},
    {OptionGroup::Bits, Dump::OPT_BITS_16, Dump::ID_FORMAT_16, "16 bits", "16", 2},
    {OptionGroup::Bits, Dump::OPT_BITS_32, Dump::ID_FORMAT_32, "32 bits", "32", 3},
    {OptionGroup::Columns, Dump::OPT_BPR_1, Dump::ID_BPR_1, "1", "1", 2},
    {OptionGroup::Columns, Dump::OPT_BPR_2, Dump::ID_BPR_2, "2", "2", 3},
    {OptionGroup::Columns, Dump::OPT_BPR_4, Dump::ID_BPR_4, "4", "4", 4},
    {OptionGroup::Columns, Dump::OPT_BPR_8, Dump::ID_BPR_8, "8", "8", 1},
    {OptionGroup::Columns, Dump::OPT_BPR_16, Dump::ID_BPR_16, "16", "16", 5},
    {OptionGroup::View, Dump::OPT_ADDRESS, Dump::ID_VIEW_ADDRESS, "Adresse", "Address", 2},
    {OptionGroup::View, Dump::OPT_DATA, Dump::ID_VIEW_DATA, "Données", "Data", 1},
    {OptionGroup::View, Dump::OPT_ASCII, Dump::ID_VIEW_ASCII, "Ascii", "Ascii", 3},
    {OptionGroup::View, Dump::OPT_FOUR_EIGHT, Dump::ID_VIEW_FOUR_EIGHT, "4/8", "4/8", 4},
    {OptionGroup::Space, Dump::OPT_SPACE, 0, nullptr, nullptr, 0},
    {OptionGroup::MenuHide, Dump::OPT_HIDE_ALL, 0, nullptr, "Format", 0},
    {OptionGroup::MenuHide, Dump::OPT_HIDE_CLIPBOARD, 0, nullptr, "Clipboard", 0},
};

// The profile key (a list of values) that names a group's options, in the
// order a profile is read.
struct OptionKey {
  OptionGroup group;
  const char* key;
};
inline constexpr OptionKey kOptionKeys[] = {
    {OptionGroup::Base, "SYS_FORMAT_VALUE"}, {OptionGroup::Bits, "SYS_OPTION_BITS"},
    {OptionGroup::ByteOrder, "SYS_OPTION_IM"}, {OptionGroup::View, "SYS_OPTION_VIEW"},
    {OptionGroup::Columns, "SYS_OPTION_NBCOL"}, {OptionGroup::Space, "SYS_OPTION_SPACE"},
    {OptionGroup::MenuHide, "SYS_OPTION_MENU_HIDE"},
};

}  // namespace AppDump
