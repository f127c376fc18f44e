// Parameter-level differences between two trees of one description: the
// `diff` command.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CAppParam;
class CAppResources;

struct Difference {
  enum EN_KIND { CHANGED, REMOVED, ADDED, MOVED };
  EN_KIND kind;
  std::string path;  // below the root, "\" for the root itself
  // For CHANGED the values in A and B, for REMOVED and ADDED the value of
  // the side that has the parameter, for MOVED its place among its
  // siblings in A and B (1 for the first).
  std::string a;
  std::string b;
  bool operator==(const Difference&) const = default;
};

// A node's value as `show` prints it: the formatted value of a leaf, nothing
// for a group.
std::string ShownValue(CAppParam& node, CAppResources* resources);

// Children are matched by key, letter case aside, and class: a key that
// changed class is removed and added. A leaf differs when any field its
// Serialize visits (its key aside) differs. Children of one group whose
// order differs are moved, as few as keep the rest in order. Differences
// come in tree order: a group's removed children first, then the others in
// B's order.
std::vector<Difference> DiffTrees(CAppParam& a, CAppParam& b, CAppResources* resources);

// One line per difference, tab-separated: "changed", "removed", "added" or
// "moved", the path, then the A and the B column.
void PrintDiff(const std::vector<Difference>& differences, std::ostream& out);
