#include "AppConfigDiff.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <unordered_map>
#include <utility>

#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppRecord.h"

namespace {

using FieldList = std::vector<std::pair<std::string, std::string>>;

// How many differing fields a change shows when the formatted values alone
// do not tell the two apart.
constexpr std::size_t kShownFields = 3;

std::string IntegerText(const void* value, std::uint32_t code) {
  const unsigned bytes = CAppRecord::IntegerBytes(code);
  if (bytes == 0) return "?";
  const std::uint64_t n = CAppRecord::LoadInteger(value, bytes);
  const bool isSigned = code == CAppRecord::FT_I1 || code == CAppRecord::FT_I2 || code == CAppRecord::FT_I4 ||
                        code == CAppRecord::FT_I8;
  if (!isSigned || bytes == 8) return isSigned ? std::to_string(static_cast<std::int64_t>(n)) : std::to_string(n);
  const std::uint64_t sign = std::uint64_t{1} << (bytes * 8 - 1);
  return std::to_string(static_cast<std::int64_t>((n ^ sign) - sign));
}

// One element's text, by its field type code.
std::string FieldText(const void* value, std::uint32_t code) {
  switch (code) {
    case CAppRecord::FT_STRING: return *static_cast<const std::string*>(value);
    case CAppRecord::FT_VARIANT: return static_cast<const CAppVariant*>(value)->ToString();
    case CAppRecord::FT_TYPE: return std::to_string(static_cast<const CAppTools::Type*>(value)->GetCode());
    case CAppRecord::FT_FLAGS: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%04X", static_cast<std::uint32_t>(*static_cast<const CAppTools::Flags*>(value)));
      return text;
    }
    default: return IntegerText(value, code);
  }
}

// The fields a node visits, one text per scalar and per array element
// ("Value[2]" = "168"); the key, which matched the node, and the children,
// which are compared node by node, are left out.
class FieldTexts : public CAppRecord {
public:
  bool GetField() override { return GetType().GetCode() != FT_GROUP && GetNameView() != "Key"; }
  void Serialize(void* value, unsigned index) override {
    const std::uint32_t code = GetType().GetCode();
    std::string name(GetNameView());
    if ((code & FT_ARRAY) != 0) name += "[" + std::to_string(index) + "]";
    m_fields.emplace_back(std::move(name), FieldText(value, code & ~FT_ARRAY));
  }
  const FieldList& Fields() const { return m_fields; }

private:
  FieldList m_fields;
};

FieldList FieldsOf(CAppParam& node) {
  FieldTexts record;
  node.Serialize(&record);
  return record.Fields();
}

// The first fields that differ, as "name=text" for each side.
std::pair<std::string, std::string> DifferingFields(const FieldList& a, const FieldList& b) {
  std::unordered_map<std::string, const std::string*> inB;
  for (const auto& [name, text] : b) inB.emplace(name, &text);
  std::vector<std::pair<std::string, std::string>> shown;
  std::size_t count = 0;
  auto note = [&](const std::string& name, const std::string* textA, const std::string* textB) {
    if (count++ < kShownFields) {
      shown.emplace_back(textA != nullptr ? name + "=" + *textA : "no " + name,
                         textB != nullptr ? name + "=" + *textB : "no " + name);
    }
  };
  std::unordered_map<std::string, bool> inA;
  for (const auto& [name, text] : a) {
    inA.emplace(name, true);
    const auto found = inB.find(name);
    if (found == inB.end()) {
      note(name, &text, nullptr);
    } else if (*found->second != text) {
      note(name, &text, found->second);
    }
  }
  for (const auto& [name, text] : b) {
    if (inA.count(name) == 0) note(name, nullptr, &text);
  }
  std::pair<std::string, std::string> joined;
  for (const auto& [textA, textB] : shown) {
    joined.first += (joined.first.empty() ? "" : ", ") + textA;
    joined.second += (joined.second.empty() ? "" : ", ") + textB;
  }
  if (count > kShownFields) {
    joined.first += ", ...";
    joined.second += ", ...";
  }
  return joined;
}

std::string PathOf(CAppParam& node) {
  std::string path = node.GetPath();
  return path.empty() ? "\\" : path;
}

std::string UpperKey(const std::string& key) {
  std::string upper = key;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::vector<CAppParam*> ChildrenOf(CAppParamGroup& group) {
  std::vector<CAppParam*> children;
  POSITION pos = group.GetStartPosition();
  while (pos != nullptr) children.push_back(group.GetNextPtr(pos));
  return children;
}

// Which entries of `sequence` (distinct numbers) lie off one longest
// increasing run through it: the fewest entries to move to sort it.
std::vector<bool> OffLongestRun(const std::vector<std::size_t>& sequence) {
  std::vector<std::size_t> tails;  // for each run length, the entry ending the lowest such run
  std::vector<std::size_t> previous(sequence.size(), sequence.size());
  for (std::size_t i = 0; i < sequence.size(); ++i) {
    const auto at = std::lower_bound(tails.begin(), tails.end(), sequence[i],
                                     [&](std::size_t tail, std::size_t value) { return sequence[tail] < value; });
    if (at != tails.begin()) previous[i] = *(at - 1);
    if (at == tails.end()) {
      tails.push_back(i);
    } else {
      *at = i;
    }
  }
  std::vector<bool> off(sequence.size(), true);
  for (std::size_t i = tails.empty() ? sequence.size() : tails.back(); i < sequence.size(); i = previous[i]) {
    off[i] = false;
  }
  return off;
}

class TreeDiff {
public:
  explicit TreeDiff(CAppResources* resources) : m_pResources(resources) {}

  void Node(CAppParam& a, CAppParam& b) {
    if (a.GetClassName() != b.GetClassName()) {
      Add(Difference::REMOVED, a, ShownValue(a, m_pResources), "");
      Add(Difference::ADDED, b, "", ShownValue(b, m_pResources));
    } else if (a.GetGroup() != nullptr) {
      Children(*a.GetGroup(), *b.GetGroup());
    } else {
      Leaf(a, b);
    }
  }

  std::vector<Difference> Take() { return std::move(m_differences); }

private:
  void Add(Difference::EN_KIND kind, CAppParam& node, std::string a, std::string b) {
    m_differences.push_back({kind, PathOf(node), std::move(a), std::move(b)});
  }

  void Leaf(CAppParam& a, CAppParam& b) {
    const FieldList fieldsA = FieldsOf(a), fieldsB = FieldsOf(b);
    if (fieldsA == fieldsB) return;
    std::string valueA = ShownValue(a, m_pResources), valueB = ShownValue(b, m_pResources);
    if (valueA == valueB) {
      const auto [detailA, detailB] = DifferingFields(fieldsA, fieldsB);
      valueA += (valueA.empty() ? "(" : " (") + detailA + ")";
      valueB += (valueB.empty() ? "(" : " (") + detailB + ")";
    }
    Add(Difference::CHANGED, a, std::move(valueA), std::move(valueB));
  }

  void Children(CAppParamGroup& groupA, CAppParamGroup& groupB) {
    const std::vector<CAppParam*> a = ChildrenOf(groupA), b = ChildrenOf(groupB);
    std::unordered_map<std::string, std::size_t> indexInB;
    for (std::size_t i = 0; i < b.size(); ++i) indexInB.emplace(UpperKey(b[i]->GetKey()), i);
    std::vector<std::size_t> matchInA(b.size(), a.size());
    std::vector<std::size_t> commonInB;  // B's index of each common child, in A's order
    for (std::size_t i = 0; i < a.size(); ++i) {
      const auto found = indexInB.find(UpperKey(a[i]->GetKey()));
      if (found == indexInB.end() || matchInA[found->second] != a.size() ||
          a[i]->GetClassName() != b[found->second]->GetClassName()) {
        Add(Difference::REMOVED, *a[i], ShownValue(*a[i], m_pResources), "");
        continue;
      }
      matchInA[found->second] = i;
      commonInB.push_back(found->second);
    }
    const std::vector<bool> off = OffLongestRun(commonInB);
    std::vector<bool> moved(b.size(), false);
    for (std::size_t k = 0; k < commonInB.size(); ++k) moved[commonInB[k]] = off[k];
    for (std::size_t j = 0; j < b.size(); ++j) {
      if (matchInA[j] == a.size()) {
        Add(Difference::ADDED, *b[j], "", ShownValue(*b[j], m_pResources));
        continue;
      }
      if (moved[j]) Add(Difference::MOVED, *b[j], std::to_string(matchInA[j] + 1), std::to_string(j + 1));
      Node(*a[matchInA[j]], *b[j]);
    }
  }

  CAppResources* m_pResources;
  std::vector<Difference> m_differences;
};

const char* KindName(Difference::EN_KIND kind) {
  switch (kind) {
    case Difference::CHANGED: return "changed";
    case Difference::REMOVED: return "removed";
    case Difference::ADDED: return "added";
    case Difference::MOVED: return "moved";
  }
  return "?";
}

}  // namespace

std::string ShownValue(CAppParam& node, CAppResources* resources) {
  if (node.GetGroup() != nullptr) return std::string();
  return node.GetFmtValue(resources);
}

std::vector<Difference> DiffTrees(CAppParam& a, CAppParam& b, CAppResources* resources) {
  TreeDiff diff(resources);
  diff.Node(a, b);
  return diff.Take();
}

void PrintDiff(const std::vector<Difference>& differences, std::ostream& out) {
  for (const Difference& d : differences) {
    out << KindName(d.kind) << '\t' << d.path << '\t' << d.a << '\t' << d.b << '\n';
  }
}
