// XDR validation over pugixml. Checked: declared element types, required and
// undeclared attributes, the content kind, the closed or open model, and the
// child elements against the content model: "element" with minOccurs and
// maxOccurs, and "group" (nested up to 32 deep) with its own order, minOccurs
// and maxOccurs, under the orders "seq", "one" and "many". A model with groups
// is matched greedily, as XDR models are deterministic; a schema whose model
// is ambiguous between the parts of one group is refused.
// Data types ("dt:type" of AttributeType, and of ElementType for its text):
// string; number, fixed.14.4, r4, r8, float (lexical form; r4 and r8 also
// range); int, i1, i2, i4, i8, ui1, ui2, ui4, ui8 (lexical form and range);
// boolean (0 or 1); char (one character); enumeration (dt:values); id, idref,
// idrefs, nmtoken, nmtokens (lexical form; bytes above ASCII count as name
// characters); bin.hex, uuid (lexical form). Blanks around a value are allowed
// except for string, char and enumeration. The other XDR types (dates,
// times, uri, bin.base64, entity, entities, notation) are accepted unchecked;
// any other type name makes the schema refused, and so does a default that
// does not fit its type. Not checked: uniqueness of ids, targets of idrefs.
#include "AppXmlInternal.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string_view>

namespace {

const char* LocalName(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon != nullptr ? colon + 1 : name;
}

// A data-type attribute ("dt:type", "dt:values") is prefixed; the plain
// "type" of <element>/<attribute> names a declaration.
const char* DataTypeAttr(const pugi::xml_node& node, const char* local) {
  for (const pugi::xml_attribute& a : node.attributes()) {
    if (std::strchr(a.name(), ':') != nullptr && std::strcmp(LocalName(a.name()), local) == 0) return a.value();
  }
  return nullptr;
}

// ---- Data types ----

enum class Kind : unsigned char {
  STRING, ENUMERATION, SIGNED, UNSIGNED, NUMBER, FIXED, REAL4, REAL8, BOOLEAN, CHAR,
  NAME, NAMES, NMTOKEN, NMTOKENS, BIN_HEX, UUID, UNCHECKED
};

struct DataTypeInfo {
  const char* name;
  Kind kind;
  std::int64_t min;  // SIGNED, UNSIGNED: the range
  std::uint64_t max;
};

// The one table of the data types; an AppXdrDataType is an index in it.
constexpr DataTypeInfo kDataTypes[] = {
    {"string", Kind::STRING, 0, 0},
    {"enumeration", Kind::ENUMERATION, 0, 0},
    {"number", Kind::NUMBER, 0, 0},
    {"int", Kind::SIGNED, INT32_MIN, INT32_MAX},
    {"i1", Kind::SIGNED, INT8_MIN, INT8_MAX},
    {"i2", Kind::SIGNED, INT16_MIN, INT16_MAX},
    {"i4", Kind::SIGNED, INT32_MIN, INT32_MAX},
    {"i8", Kind::SIGNED, INT64_MIN, INT64_MAX},
    {"ui1", Kind::UNSIGNED, 0, UINT8_MAX},
    {"ui2", Kind::UNSIGNED, 0, UINT16_MAX},
    {"ui4", Kind::UNSIGNED, 0, UINT32_MAX},
    {"ui8", Kind::UNSIGNED, 0, UINT64_MAX},
    {"fixed.14.4", Kind::FIXED, 0, 0},
    {"r4", Kind::REAL4, 0, 0},
    {"r8", Kind::REAL8, 0, 0},
    {"float", Kind::REAL8, 0, 0},
    {"boolean", Kind::BOOLEAN, 0, 0},
    {"char", Kind::CHAR, 0, 0},
    {"id", Kind::NAME, 0, 0},
    {"idref", Kind::NAME, 0, 0},
    {"idrefs", Kind::NAMES, 0, 0},
    {"nmtoken", Kind::NMTOKEN, 0, 0},
    {"nmtokens", Kind::NMTOKENS, 0, 0},
    {"bin.hex", Kind::BIN_HEX, 0, 0},
    {"uuid", Kind::UUID, 0, 0},
    {"bin.base64", Kind::UNCHECKED, 0, 0},
    {"date", Kind::UNCHECKED, 0, 0},
    {"dateTime", Kind::UNCHECKED, 0, 0},
    {"dateTime.tz", Kind::UNCHECKED, 0, 0},
    {"time", Kind::UNCHECKED, 0, 0},
    {"time.tz", Kind::UNCHECKED, 0, 0},
    {"uri", Kind::UNCHECKED, 0, 0},
    {"entity", Kind::UNCHECKED, 0, 0},
    {"entities", Kind::UNCHECKED, 0, 0},
    {"notation", Kind::UNCHECKED, 0, 0},
};
constexpr AppXdrDataType kEnumeration = 1;
static_assert(sizeof kDataTypes / sizeof kDataTypes[0] <= 256, "AppXdrDataType is one byte");

bool FindDataType(const char* name, AppXdrDataType& out) {
  for (std::size_t i = 0; i < sizeof kDataTypes / sizeof kDataTypes[0]; ++i) {
    if (std::strcmp(kDataTypes[i].name, name) == 0) {
      out = static_cast<AppXdrDataType>(i);
      return true;
    }
  }
  return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == '.' || c == '-'; }

std::string_view Trim(std::string_view v) {
  while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
  return v;
}

std::size_t Digits(std::string_view v, std::size_t& i) {
  const std::size_t start = i;
  while (i < v.size() && IsDigit(v[i])) ++i;
  return i - start;
}

bool IsToken(std::string_view v, bool name) {
  if (v.empty() || (name && !IsNameStart(v.front()))) return false;
  return std::all_of(v.begin(), v.end(), IsNameChar);
}

bool IsTokenList(std::string_view v, bool name) {
  std::size_t count = 0;
  while (!v.empty()) {
    std::size_t end = 0;
    while (end < v.size() && !IsBlank(v[end])) ++end;
    if (end > 0) {
      if (!IsToken(v.substr(0, end), name)) return false;
      ++count;
    }
    v.remove_prefix(end < v.size() ? end + 1 : end);
  }
  return count > 0;
}

// [sign] digits [. digits] [(e|E) [sign] digits], with at least one mantissa
// digit; order10 receives the decimal order of magnitude (saturated).
bool IsDecimal(std::string_view v, bool exponent, long& order10) {
  std::size_t i = 0;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
  const std::size_t intStart = i;
  std::size_t n = Digits(v, i);
  std::size_t lead = intStart;
  while (lead < i && v[lead] == '0') ++lead;
  order10 = static_cast<long>(i - lead);
  if (i < v.size() && v[i] == '.') {
    ++i;
    const std::size_t fracStart = i;
    const std::size_t frac = Digits(v, i);
    if (order10 == 0) {
      std::size_t z = fracStart;
      while (z < i && v[z] == '0') ++z;
      order10 = -static_cast<long>(z - fracStart);
    }
    n += frac;
  }
  if (n == 0) return false;
  if (exponent && i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
    long e = 0;
    const std::size_t start = i;
    for (; i < v.size() && IsDigit(v[i]); ++i) e = std::min(e * 10 + (v[i] - '0'), 100000L);
    if (i == start) return false;
    order10 += negative ? -e : e;
  }
  return i == v.size();
}

enum class Verdict { OK, BAD, RANGE };

Verdict CheckInteger(std::string_view v, const DataTypeInfo& info) {
  std::size_t i = 0;
  bool negative = false;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
  if (i == v.size()) return Verdict::BAD;
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (; i < v.size(); ++i) {
    if (!IsDigit(v[i])) return Verdict::BAD;
    const auto d = static_cast<std::uint64_t>(v[i] - '0');
    if (magnitude > (UINT64_MAX - d) / 10) overflow = true;
    else magnitude = magnitude * 10 + d;
  }
  if (overflow) return Verdict::RANGE;
  if (negative) {
    const std::uint64_t limit = info.min < 0 ? static_cast<std::uint64_t>(-(info.min + 1)) + 1 : 0;
    return magnitude <= limit ? Verdict::OK : Verdict::RANGE;
  }
  return magnitude <= info.max ? Verdict::OK : Verdict::RANGE;
}

Verdict CheckReal(std::string_view v, bool single) {
  long order10 = 0;
  if (!IsDecimal(v, true, order10)) return Verdict::BAD;
  if (v.front() == '+') v.remove_prefix(1);
  double d = 0;
  const std::from_chars_result r = std::from_chars(v.data(), v.data() + v.size(), d);
  if (r.ec == std::errc::result_out_of_range) return order10 > 0 ? Verdict::RANGE : Verdict::OK;  // else underflow
  if (r.ec != std::errc()) return Verdict::BAD;
  return single && (d > FLT_MAX || d < -FLT_MAX) ? Verdict::RANGE : Verdict::OK;
}

// Checks a value against a data type other than enumeration.
Verdict CheckValue(AppXdrDataType type, std::string_view value) {
  const DataTypeInfo& info = kDataTypes[type];
  const Kind kind = info.kind;
  if (kind == Kind::STRING || kind == Kind::UNCHECKED || kind == Kind::ENUMERATION) return Verdict::OK;
  if (kind == Kind::CHAR) {
    if (value.empty()) return Verdict::BAD;
    const auto lead = static_cast<unsigned char>(value.front());
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return value.size() == length ? Verdict::OK : Verdict::BAD;
  }
  const std::string_view v = Trim(value);
  long order10 = 0;
  bool ok = false;
  switch (kind) {
    case Kind::SIGNED:
    case Kind::UNSIGNED: return CheckInteger(v, info);
    case Kind::REAL4:
    case Kind::REAL8: return CheckReal(v, kind == Kind::REAL4);
    case Kind::NUMBER: ok = IsDecimal(v, true, order10); break;
    case Kind::FIXED: {
      std::size_t i = (!v.empty() && (v.front() == '+' || v.front() == '-')) ? 1 : 0;
      const std::size_t whole = Digits(v, i);
      std::size_t frac = 0;
      if (i < v.size() && v[i] == '.') frac = Digits(v, ++i);
      ok = whole >= 1 && whole <= 14 && frac <= 4 && i == v.size();
      break;
    }
    case Kind::BOOLEAN: ok = v == "0" || v == "1"; break;
    case Kind::NAME: ok = IsToken(v, true); break;
    case Kind::NAMES: ok = IsTokenList(v, true); break;
    case Kind::NMTOKEN: ok = IsToken(v, false); break;
    case Kind::NMTOKENS: ok = IsTokenList(v, false); break;
    case Kind::BIN_HEX: ok = v.size() % 2 == 0 && std::all_of(v.begin(), v.end(), IsHex); break;
    case Kind::UUID: {
      ok = v.size() == 36;
      for (std::size_t i = 0; ok && i < v.size(); ++i) {
        ok = (i == 8 || i == 13 || i == 18 || i == 23) ? v[i] == '-' : IsHex(v[i]);
      }
      break;
    }
    case Kind::STRING:
    case Kind::ENUMERATION:
    case Kind::CHAR:
    case Kind::UNCHECKED: ok = true; break;
  }
  return ok ? Verdict::OK : Verdict::BAD;
}

// ", which is not a valid ui1" and the like, for a value that failed.
std::string WhyNot(AppXdrDataType type, Verdict verdict) {
  const DataTypeInfo& info = kDataTypes[type];
  if (verdict != Verdict::RANGE) return std::string(", which is not a valid ") + info.name;
  if (info.kind == Kind::SIGNED || info.kind == Kind::UNSIGNED) {
    return std::string(", which is out of the range of ") + info.name + " (" + std::to_string(info.min) + " to " +
           std::to_string(info.max) + ")";
  }
  return std::string(", which is out of the range of ") + info.name;
}

bool InValues(const AppXdrAttribute& decl, std::string_view value) {
  return std::find(decl.values.begin(), decl.values.end(), value) != decl.values.end();
}

// Empty when the value fits the attribute's type, else the reason's tail.
std::string AttributeValueFault(const AppXdrAttribute& decl, std::string_view value) {
  if (decl.isEnumeration) {
    if (InValues(decl, value)) return std::string();
    std::string list;
    for (const std::string& v : decl.values) list += (list.empty() ? "" : " ") + v;
    return ", which is not one of: " + list;
  }
  const Verdict verdict = CheckValue(decl.dataType, value);
  return verdict == Verdict::OK ? std::string() : WhyNot(decl.dataType, verdict);
}

// The data type of an AttributeType or ElementType: its "dt:type" (or that
// of its <datatype> child) and, for an enumeration, its "dt:values". False
// with a reason for an unknown type name or an enumeration without values.
bool ParseDataType(const pugi::xml_node& node, const char* what, const std::string& name, AppXdrAttribute& out,
                   std::string& reason) {
  const char* type = DataTypeAttr(node, "type");
  if (type == nullptr) {
    if (const pugi::xml_node datatype = node.find_child([](const pugi::xml_node& c) {
          return c.type() == pugi::node_element && std::strcmp(LocalName(c.name()), "datatype") == 0;
        })) {
      type = DataTypeAttr(datatype, "type");
    }
  }
  out.dataType = 0;
  if (type != nullptr && !FindDataType(type, out.dataType)) {
    reason = std::string(what) + " \"" + name + "\" has an unknown data type \"" + type + "\"";
    return false;
  }
  if (out.dataType == kEnumeration) {
    out.isEnumeration = true;
    const char* values = DataTypeAttr(node, "values");
    std::istringstream list(values != nullptr ? values : "");
    for (std::string v; list >> v;) out.values.push_back(v);
    if (out.values.empty()) {
      reason = "Enumeration " + std::string(what) + " \"" + name + "\" has no values";
      return false;
    }
  }
  return true;
}

bool ParseOccurs(const pugi::xml_attribute& attr, unsigned fallback, unsigned& out, std::string& reason) {
  if (!attr) {
    out = fallback;
    return true;
  }
  const std::string text = attr.value();
  if (text == "*") {
    out = UINT_MAX;
    return true;
  }
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) {
    reason = "Bad occurrence value \"" + text + "\"";
    return false;
  }
  out = static_cast<unsigned>(std::stoul(text));
  return true;
}

bool ParseAttributeType(const pugi::xml_node& node, AppXdrAttribute& out, std::string& reason) {
  out.name = node.attribute("name").value();
  if (out.name.empty()) {
    reason = "AttributeType without a name";
    return false;
  }
  out.required = std::strcmp(node.attribute("required").value(), "yes") == 0;
  if (const pugi::xml_attribute def = node.attribute("default")) {
    out.hasDefault = true;
    out.defaultValue = def.value();
  }
  if (!ParseDataType(node, "AttributeType", out.name, out, reason)) return false;
  if (out.hasDefault) {
    const std::string fault = AttributeValueFault(out, out.defaultValue);
    if (!fault.empty()) {
      reason = "AttributeType \"" + out.name + "\" has the default \"" + out.defaultValue + "\"" + fault;
      return false;
    }
  }
  return true;
}

constexpr unsigned kMaxGroupDepth = 32;

bool IsIn(const std::vector<std::uint64_t>& set, unsigned symbol) {
  return ((set[symbol / 64] >> (symbol % 64)) & 1U) != 0;
}

// The first symbol two sets share, or UINT_MAX.
unsigned Shared(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b) {
  for (std::size_t w = 0; w < a.size(); ++w) {
    const std::uint64_t both = a[w] & b[w];
    if (both != 0) {
      for (unsigned bit = 0; bit < 64; ++bit) {
        if (((both >> bit) & 1U) != 0) return static_cast<unsigned>(w * 64 + bit);
      }
    }
  }
  return UINT_MAX;
}

bool Nullable(const AppXdrParticle& p) { return p.minOccurs == 0 || p.bodyNullable; }

// The text of a particle for messages: "seq(A, one(B, C))".
std::string Describe(const AppXdrElementType& type, unsigned index) {
  const AppXdrParticle& p = type.particles[index];
  if (!p.isGroup) return type.symbols[p.symbol];
  static const char* const kOrders[] = {"one", "seq", "many"};
  std::string text = std::string(kOrders[p.order]) + "(";
  for (std::size_t i = 0; i < p.items.size(); ++i) text += (i == 0 ? "" : ", ") + Describe(type, p.items[i]);
  return text + ")";
}

bool ParseGroupOrder(const pugi::xml_node& node, AppXdrParticle& out, const std::string& typeName,
                     std::string& reason) {
  const std::string order = node.attribute("order").as_string("seq");
  if (order == "one") out.order = AppXdrParticle::ORDER_ONE;
  else if (order == "seq") out.order = AppXdrParticle::ORDER_SEQ;
  else if (order == "many") out.order = AppXdrParticle::ORDER_MANY;
  else {
    reason = "ElementType \"" + typeName + "\" has a group with a bad order \"" + order + "\"";
    return false;
  }
  return true;
}

// Appends the particles of the <element> and <group> children of node to the
// group particle at index group.
bool ParseGroupItems(const pugi::xml_node& node, unsigned group, unsigned depth, AppXdrElementType& out,
                     std::string& reason) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string tag = LocalName(child.name());
    if (tag != "element" && tag != "group") continue;
    AppXdrParticle particle;
    particle.isGroup = tag == "group";
    if (particle.isGroup) {
      if (depth >= kMaxGroupDepth) {
        reason = "ElementType \"" + out.name + "\" nests groups deeper than " + std::to_string(kMaxGroupDepth);
        return false;
      }
      if (!ParseGroupOrder(child, particle, out.name, reason)) return false;
    } else {
      const std::string type = child.attribute("type").value();
      if (type.empty()) {
        reason = "ElementType \"" + out.name + "\" has an element without type";
        return false;
      }
      const auto known = std::find(out.symbols.begin(), out.symbols.end(), type);
      particle.symbol = static_cast<unsigned>(known - out.symbols.begin());
      if (known == out.symbols.end()) out.symbols.push_back(type);
    }
    if (!ParseOccurs(child.attribute("minOccurs"), 1, particle.minOccurs, reason) ||
        !ParseOccurs(child.attribute("maxOccurs"), 1, particle.maxOccurs, reason)) {
      return false;
    }
    if (particle.minOccurs > particle.maxOccurs) {
      reason = "ElementType \"" + out.name + "\" has " + (particle.isGroup ? "a group" : "an element") +
               " with minOccurs greater than maxOccurs";
      return false;
    }
    const auto index = static_cast<unsigned>(out.particles.size());
    out.particles.push_back(std::move(particle));
    out.particles[group].items.push_back(index);
    if (out.particles[index].isGroup && !ParseGroupItems(child, index, depth + 1, out, reason)) return false;
  }
  return true;
}

std::string Ambiguous(const AppXdrElementType& type, unsigned symbol, std::size_t group) {
  return "ElementType \"" + type.name + "\" has an ambiguous content model: '" + type.symbols[symbol] +
         "' may start two parts of " + Describe(type, static_cast<unsigned>(group));
}

// Computes what each particle may start with and whether one occurrence may
// be empty (items follow their group in the vector), and refuses a model in
// which the next child element would not tell which part of a group it starts.
bool ComputeModel(AppXdrElementType& type, std::string& reason) {
  const std::size_t words = (type.symbols.size() + 63) / 64;
  for (std::size_t i = type.particles.size(); i-- > 0;) {
    AppXdrParticle& p = type.particles[i];
    p.first.assign(words, 0);
    if (!p.isGroup) {
      p.first[p.symbol / 64] |= std::uint64_t{1} << (p.symbol % 64);
      continue;
    }
    p.bodyNullable = p.order != AppXdrParticle::ORDER_ONE || p.items.empty();
    bool leading = true;  // seq: the items so far may all be empty
    for (const unsigned k : p.items) {
      const AppXdrParticle& item = type.particles[k];
      if (item.maxOccurs == 0) continue;
      if (p.order != AppXdrParticle::ORDER_SEQ) {
        const unsigned clash = Shared(p.first, item.first);
        if (clash != UINT_MAX) {
          reason = Ambiguous(type, clash, i);
          return false;
        }
      }
      if (p.order == AppXdrParticle::ORDER_ONE) p.bodyNullable = p.bodyNullable || Nullable(item);
      else p.bodyNullable = p.bodyNullable && Nullable(item);
      if (p.order != AppXdrParticle::ORDER_SEQ || leading) {
        for (std::size_t w = 0; w < words; ++w) p.first[w] |= item.first[w];
      }
      leading = leading && Nullable(item);
    }
    if (p.order != AppXdrParticle::ORDER_SEQ) continue;
    // seq: after an item that may be left out, repeated or (many) continued,
    // the items up to the next required one must start differently.
    for (std::size_t k = 0; k < p.items.size(); ++k) {
      const AppXdrParticle& item = type.particles[p.items[k]];
      const bool open = Nullable(item) || item.maxOccurs > item.minOccurs ||
                        (item.isGroup && item.order == AppXdrParticle::ORDER_MANY);
      if (!open || item.maxOccurs == 0) continue;
      for (std::size_t j = k + 1; j < p.items.size(); ++j) {
        const AppXdrParticle& next = type.particles[p.items[j]];
        if (next.maxOccurs == 0) continue;
        const unsigned clash = Shared(item.first, next.first);
        if (clash != UINT_MAX) {
          reason = Ambiguous(type, clash, i);
          return false;
        }
        if (!Nullable(next)) break;
      }
    }
  }
  return true;
}

bool ParseElementType(const pugi::xml_node& node, const std::map<std::string, AppXdrAttribute>& globalAttrs,
                      AppXdrElementType& out, std::string& reason) {
  out.name = node.attribute("name").value();
  if (out.name.empty()) {
    reason = "ElementType without a name";
    return false;
  }
  const std::string content = node.attribute("content").as_string("mixed");
  if (content == "empty") out.content = AppXdrElementType::CONTENT_EMPTY;
  else if (content == "textOnly") out.content = AppXdrElementType::CONTENT_TEXT_ONLY;
  else if (content == "eltOnly") out.content = AppXdrElementType::CONTENT_ELT_ONLY;
  else if (content == "mixed") out.content = AppXdrElementType::CONTENT_MIXED;
  else {
    reason = "ElementType \"" + out.name + "\" has a bad content \"" + content + "\"";
    return false;
  }
  const std::string model = node.attribute("model").as_string("open");
  if (model != "open" && model != "closed") {
    reason = "ElementType \"" + out.name + "\" has a bad model \"" + model + "\"";
    return false;
  }
  out.closed = model == "closed";
  const std::string order =
      node.attribute("order").as_string(out.content == AppXdrElementType::CONTENT_ELT_ONLY ? "seq" : "many");
  if (order == "one") out.order = AppXdrElementType::ORDER_ONE;
  else if (order == "seq") out.order = AppXdrElementType::ORDER_SEQ;
  else if (order == "many") out.order = AppXdrElementType::ORDER_MANY;
  else {
    reason = "ElementType \"" + out.name + "\" has a bad order \"" + order + "\"";
    return false;
  }
  if (!ParseDataType(node, "ElementType", out.name, out.text, reason)) return false;

  std::map<std::string, AppXdrAttribute> localAttrs;
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_element && std::strcmp(LocalName(child.name()), "AttributeType") == 0) {
      AppXdrAttribute attr;
      if (!ParseAttributeType(child, attr, reason)) return false;
      localAttrs[attr.name] = attr;
    }
  }
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string tag = LocalName(child.name());
    if (tag == "attribute") {
      const std::string type = child.attribute("type").value();
      const AppXdrAttribute* decl = nullptr;
      if (const auto local = localAttrs.find(type); local != localAttrs.end()) decl = &local->second;
      else if (const auto global = globalAttrs.find(type); global != globalAttrs.end()) decl = &global->second;
      if (decl == nullptr) {
        reason = "ElementType \"" + out.name + "\" uses undeclared attribute \"" + type + "\"";
        return false;
      }
      AppXdrAttribute attr = *decl;
      if (const pugi::xml_attribute req = child.attribute("required")) attr.required = std::strcmp(req.value(), "yes") == 0;
      if (const pugi::xml_attribute def = child.attribute("default")) {
        attr.hasDefault = true;
        attr.defaultValue = def.value();
        const std::string fault = AttributeValueFault(attr, attr.defaultValue);
        if (!fault.empty()) {
          reason = "ElementType \"" + out.name + "\": attribute \"" + attr.name + "\" has the default \"" +
                   attr.defaultValue + "\"" + fault;
          return false;
        }
      }
      out.attributes.push_back(attr);
    } else if (tag == "element") {
      AppXdrElementRef ref;
      ref.type = child.attribute("type").value();
      if (ref.type.empty()) {
        reason = "ElementType \"" + out.name + "\" has an element without type";
        return false;
      }
      if (!ParseOccurs(child.attribute("minOccurs"), 1, ref.minOccurs, reason) ||
          !ParseOccurs(child.attribute("maxOccurs"), 1, ref.maxOccurs, reason)) {
        return false;
      }
      out.elements.push_back(ref);
    }
    // group: below; description, datatype: nothing to check
  }
  const bool grouped = node.find_child([](const pugi::xml_node& c) {
    return c.type() == pugi::node_element && std::strcmp(LocalName(c.name()), "group") == 0;
  });
  if (grouped) {
    // The whole content model becomes a particle tree.
    out.elements.clear();
    AppXdrParticle root;
    root.isGroup = true;
    root.order = static_cast<AppXdrParticle::Order>(out.order);
    out.particles.push_back(root);
    if (!ParseGroupItems(node, 0, 0, out, reason) || !ComputeModel(out, reason)) return false;
  }
  return true;
}

// ---- Compiling a schema for the validator ----

// The element types by name (the last declaration of a name wins) become the
// schema's vector, with the lookups the validator makes once per element or
// attribute prepared.
void Compile(std::map<std::string, AppXdrElementType, std::less<>>& byName, AppXdrSchema& schema) {
  schema.types.clear();
  schema.types.reserve(byName.size());
  std::vector<std::string> names;
  for (auto& [name, type] : byName) {
    names.push_back(name);
    schema.types.push_back(std::move(type));
  }
  schema.typeNames.Build(names);
  for (std::string& name : names) {
    if (name.find(':') != std::string::npos) name.clear();
  }
  schema.plainNames.Build(names);
  schema.maxSlots = 0;
  const auto indexOf = [&](const std::string& name) { return static_cast<unsigned>(schema.typeNames.Find(name.c_str())); };
  for (AppXdrElementType& type : schema.types) {
    std::vector<std::string> unique;
    type.nameSlot.clear();
    type.checked.clear();
    for (std::size_t i = 0; i < type.attributes.size(); ++i) {
      const AppXdrAttribute& decl = type.attributes[i];
      const auto known = std::find(unique.begin(), unique.end(), decl.name);
      type.nameSlot.push_back(static_cast<unsigned>(known - unique.begin()));
      if (known == unique.end()) unique.push_back(decl.name);
      if (decl.required || decl.hasDefault || decl.dataType != 0) type.checked.push_back(static_cast<unsigned>(i));
    }
    type.slots = static_cast<unsigned>(unique.size());
    schema.maxSlots = std::max(schema.maxSlots, type.slots);
    type.attributeNames.Build(unique);
    std::vector<std::pair<unsigned, unsigned>> positions;
    if (type.particles.empty()) {
      for (std::size_t i = 0; i < type.elements.size(); ++i) {
        positions.emplace_back(indexOf(type.elements[i].type), static_cast<unsigned>(i));
        const AppXdrElementRef& ref = type.elements[i];
        type.anyOptional = type.anyOptional || ref.minOccurs == 0;
        type.anyMinimum = type.anyMinimum || ref.minOccurs > 0;
        type.countsChildren = type.countsChildren || ref.minOccurs > 0 || ref.maxOccurs != UINT_MAX;
      }
    } else {
      for (std::size_t i = 0; i < type.symbols.size(); ++i) {
        positions.emplace_back(indexOf(type.symbols[i]), static_cast<unsigned>(i));
      }
    }
    type.countsChildren = type.countsChildren || type.order == AppXdrElementType::ORDER_ONE;
    type.childPosition.Build(positions);
  }
}

// ---- Validation ----

bool IsNamespaceDeclaration(const char* name) {
  return name[0] == 'x' && name[1] == 'm' && name[2] == 'l' && name[3] == 'n' && name[4] == 's' &&
         (name[5] == '\0' || name[5] == ':');
}

// Checks every element of the namespaces of the schemas: its attributes, the
// kind of its content, its text and its child elements against its content
// model. The first fault reported is the one met when each element is
// checked whole (attributes, content, children) before its children are, in
// document order.
//
// The document is read once, in document order (pugixml's own walk, which
// reads its nodes in the order they were allocated): an element's attributes
// are checked when it opens, its content as its children go by, and what
// needs all of them when it closes. A fault then puts off the report until
// the open ancestors of the faulty element have seen the rest of their
// children: the outermost one with a fault of its content is the one to
// report, as it comes first in the order above.
class Validator : public pugi::xml_tree_walker {
public:
  explicit Validator(const CAppToolsXML::DomSchemaCollection& schemas) : m_schemas(schemas) {
    // Elements without a namespace declaration in scope belong to the empty
    // namespace, which a collection may also hold.
    const auto found = schemas.byNamespace.find(std::string_view());
    m_noNamespace = found != schemas.byNamespace.end() ? &found->second : nullptr;
    unsigned slots = 0;
    for (const auto& [uri, schema] : schemas.byNamespace) slots = std::max(slots, schema.maxSlots);
    m_seen.resize(slots);
  }

  bool Run(pugi::xml_document& doc, pugi::xml_node& where, std::string& reason) {
    m_where = &where;
    m_reason = &reason;
    m_default = m_noNamespace;
    if (!doc.traverse(*this)) return false;
    while (m_open > 0) {
      if (!Close()) return false;
    }
    return true;
  }

  bool for_each(pugi::xml_node& node) override {
    const auto depth = static_cast<unsigned>(this->depth());
    if (depth > m_skip) return true;  // under an element left unchecked
    m_skip = UINT_MAX;
    while (m_open > depth) {
      if (!Close()) return false;
    }
    const pugi::xml_node_type kind = node.type();
    if (kind == pugi::node_element) return Open(node, depth);
    if ((kind == pugi::node_pcdata || kind == pugi::node_cdata) && depth > 0 && !Text(m_frames[depth - 1], node)) {
      Mark(node, depth);
      return Unwind(depth, pugi::xml_node(), std::string());
    }
    return true;
  }

private:
  // A fault of the child elements met while they go by, reported when the
  // element's checks come to its children.
  enum Fault : unsigned char { FAULT_NONE, FAULT_NOT_ALLOWED, FAULT_OUT_OF_ORDER, FAULT_TOO_MANY };

  // An open element. Its scratch (counts, symbols, text) lies at the top of
  // the shared stacks, from the bases on.
  struct Frame {
    pugi::xml_node node;
    const char* name = nullptr;
    const AppXdrSchema* schema = nullptr;
    const AppXdrElementType* type = nullptr;  // null: not checked
    const AppXdrSchema* defaultSchema = nullptr;  // of the names without prefix inside it
    std::size_t scopeSize = 0;                    // of the bindings inside it
    std::size_t countsBase = 0, symbolsBase = 0, textBase = 0;
    const char* firstElement = nullptr;  // its first child element
    const char* faultName = nullptr;     // the child of the fault
    std::size_t faultPosition = 0;
    std::size_t seqPos = 0;
    std::size_t kinds = 0;  // kinds of child elements met
    Fault fault = FAULT_NONE;
    bool hasText = false;
    bool open = true;  // lets undeclared child elements through
  };
  // An element name resolved in a scope.
  struct Resolved {
    const AppXdrSchema* schema;  // null: no schema for its namespace
    int type;                    // index in the schema's types, -1: not declared
  };
  struct Binding {
    std::string_view prefix;  // the names point into the document
    std::string_view uri;
    const AppXdrSchema* schema;  // resolved once, where the prefix is declared
  };
  // The attribute found for a declaration's name while checking the element
  // numbered stamp.
  struct Seen {
    std::uint32_t stamp = 0;
    pugi::xml_attribute attr;
  };

  static const AppXdrElementType* TypeOf(const Resolved& r) {
    return r.type >= 0 ? &r.schema->types[static_cast<std::size_t>(r.type)] : nullptr;
  }

  Resolved Resolve(const char* name) const {
    // Most names have no prefix and are declared in the default namespace.
    if (m_default != nullptr) {
      const int type = m_default->plainNames.Find(name);
      if (type >= 0) return {m_default, type};
    }
    const char* colon = std::strchr(name, ':');
    const AppXdrSchema* schema =
        SchemaOf(colon != nullptr ? std::string_view(name, static_cast<std::size_t>(colon - name)) : std::string_view());
    return {schema, schema != nullptr ? schema->typeNames.Find(colon != nullptr ? colon + 1 : name) : -1};
  }

  void Declare(std::string_view prefix, const char* uri) {
    const auto found = m_schemas.byNamespace.find(std::string_view(uri));
    m_scope.push_back({prefix, uri, found != m_schemas.byNamespace.end() ? &found->second : nullptr});
  }

  const Binding* BindingOf(std::string_view prefix) const {
    for (auto it = m_scope.rbegin(); it != m_scope.rend(); ++it) {
      if (it->prefix == prefix) return &*it;
    }
    return nullptr;
  }

  std::string_view NamespaceOf(const char* qname) const {
    const char* colon = std::strchr(qname, ':');
    const Binding* binding =
        BindingOf(colon != nullptr ? std::string_view(qname, static_cast<std::size_t>(colon - qname)) : std::string_view());
    return binding != nullptr ? binding->uri : std::string_view();
  }

  const AppXdrSchema* SchemaOf(std::string_view prefix) const {
    const Binding* binding = BindingOf(prefix);
    return binding != nullptr ? binding->schema : m_noNamespace;
  }

  // The scope inside the open element at index depth - 1 (or of the
  // document at depth 0).
  void RestoreScope(unsigned depth) {
    const std::size_t size = depth > 0 ? m_frames[depth - 1].scopeSize : 0;
    if (m_scope.size() != size) m_scope.resize(size);
    m_default = depth > 0 ? m_frames[depth - 1].defaultSchema : m_noNamespace;
  }

  // ---- Attributes ----

  void NextElement() {
    if (++m_stamp == 0) {
      for (Seen& seen : m_seen) seen.stamp = 0;
      m_stamp = 1;
    }
    m_undeclared = nullptr;
  }

  // Notes a document attribute against the declarations of type: the first
  // of each declared name, and the first undeclared one.
  void Match(const AppXdrElementType& type, const pugi::xml_attribute& a, const char* name) {
    const int slot = type.attributeNames.Find(name);
    if (slot >= 0) {
      Seen& seen = m_seen[static_cast<std::size_t>(slot)];
      if (seen.stamp != m_stamp) seen = {m_stamp, a};
    } else if (m_undeclared == nullptr && type.closed && std::strchr(name, ':') == nullptr &&
               std::strcmp(name, "xmlns") != 0) {
      m_undeclared = name;
    }
  }

  // Declares the element's namespaces and matches its attributes against
  // type, the type its name has outside them; true when it declared one.
  // Attribute names are never empty: an empty handle reads as one, which
  // ends the loop without a test of each handle.
  bool ReadAttributes(const pugi::xml_node& node, const AppXdrElementType* type) {
    NextElement();
    bool declares = false;
    for (pugi::xml_attribute a = node.first_attribute();; a = a.next_attribute()) {
      const char* name = a.name();
      if (name[0] == '\0' && !a) break;
      if (IsNamespaceDeclaration(name)) {
        Declare(std::string_view(name[5] == '\0' ? name + 5 : name + 6), a.value());
        declares = true;
      }
      if (type != nullptr) Match(*type, a, name);
    }
    return declares;
  }

  // The attributes against their declarations, in the order of the
  // declarations, adding the defaults of the absent ones.
  bool CheckAttributes(pugi::xml_node& node, const char* name, const AppXdrElementType& type, std::string& reason) {
    for (const unsigned i : type.checked) {
      const AppXdrAttribute& decl = type.attributes[i];
      Seen& seen = m_seen[type.nameSlot[i]];
      if (seen.stamp != m_stamp) {
        if (decl.required) {
          reason = Who(name) + ": required attribute '" + decl.name + "' is missing";
          return false;
        }
        if (decl.hasDefault) {
          pugi::xml_attribute added = node.append_attribute(decl.name.c_str());
          added.set_value(decl.defaultValue.c_str());
          seen = {m_stamp, added};
        }
        continue;
      }
      if (decl.dataType != 0) {
        const std::string fault = AttributeValueFault(decl, seen.attr.value());
        if (!fault.empty()) {
          reason = Who(name) + ": attribute '" + decl.name + "' has the value \"" + seen.attr.value() + "\"" + fault;
          return false;
        }
      }
    }
    if (m_undeclared != nullptr) {
      reason = Who(name) + ": attribute '" + m_undeclared + "' is not declared and the model is closed";
      return false;
    }
    return true;
  }

  static std::string Who(const char* name) { return "Element '" + std::string(name) + "'"; }

  // ---- Elements ----

  // The node at depth is the latest child of the open element above it.
  Frame& Mark(const pugi::xml_node& node, unsigned depth) {
    if (m_frames.size() <= depth) m_frames.resize(depth + 1);
    Frame& frame = m_frames[depth];
    frame.node = node;
    frame.countsBase = m_counts.size();
    frame.symbolsBase = m_symbols.size();
    frame.textBase = m_text.size();
    return frame;
  }

  bool Open(pugi::xml_node& node, unsigned depth) {
    const char* name = node.name();
    Resolved resolved = Resolve(name);
    // The parent sees its child first, which may add to its scratch.
    const bool fits = depth == 0 || Child(m_frames[depth - 1], name, resolved);
    Frame& frame = Mark(node, depth);
    if (!fits) return Unwind(depth, pugi::xml_node(), std::string());
    const Frame* parent = depth > 0 ? &m_frames[depth - 1] : nullptr;

    // The element's own declarations apply to its name.
    const AppXdrElementType* type = TypeOf(resolved);
    if (ReadAttributes(node, type)) {
      m_default = SchemaOf(std::string_view());
      resolved = Resolve(name);
      if (TypeOf(resolved) != type) {
        type = TypeOf(resolved);
        NextElement();
        if (type != nullptr) {
          for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) Match(*type, a, a.name());
        }
      }
    }
    if (resolved.schema != nullptr && type == nullptr) {
      if (parent == nullptr || !parent->open) {
        return Unwind(depth, node,
                      "Element '" + std::string(name) + "' is not declared in the schema \"" +
                          std::string(NamespaceOf(name)) + "\"");
      }
      // Open content may hold elements the schema does not know; they are
      // left unchecked, with their subtree.
      m_skip = depth;
      RestoreScope(depth);
      return true;
    }
    if (type != nullptr) {
      if (!CheckAttributes(node, name, *type, m_fault)) return Unwind(depth, node, std::move(m_fault));
      if (type->countsChildren) m_counts.resize(frame.countsBase + type->elements.size(), 0);
    }
    frame.name = name;
    frame.schema = resolved.schema;
    frame.type = type;
    frame.defaultSchema = m_default;
    frame.scopeSize = m_scope.size();
    frame.firstElement = nullptr;
    frame.fault = FAULT_NONE;
    frame.seqPos = 0;
    frame.kinds = 0;
    frame.hasText = false;
    frame.open = type == nullptr || !type->closed;
    m_open = depth + 1;
    return true;
  }

  // A child element of frame goes by; false when the content of frame has
  // a fault.
  bool Child(Frame& frame, const char* name, const Resolved& child) {
    const AppXdrElementType* type = frame.type;
    if (type == nullptr) return true;
    if (frame.firstElement == nullptr) frame.firstElement = name;
    if (type->content == AppXdrElementType::CONTENT_EMPTY || type->content == AppXdrElementType::CONTENT_TEXT_ONLY) {
      return false;
    }
    if (frame.fault != FAULT_NONE) return false;
    const int position =
        child.schema == frame.schema && child.type >= 0 ? type->childPosition.Find(static_cast<unsigned>(child.type)) : -1;
    if (position < 0) {
      if (!type->closed) return true;
      return Note(frame, FAULT_NOT_ALLOWED, name, 0);
    }
    const auto idx = static_cast<std::size_t>(position);
    if (!type->particles.empty()) {
      m_symbols.push_back(static_cast<unsigned>(idx));
      m_symbolNames.push_back(name);
      return true;
    }
    if (type->order == AppXdrElementType::ORDER_SEQ) {
      if (idx < frame.seqPos) return Note(frame, FAULT_OUT_OF_ORDER, name, idx);
      frame.seqPos = idx;
    }
    if (!type->countsChildren) return true;
    unsigned& count = m_counts[frame.countsBase + idx];
    if (count++ == 0) ++frame.kinds;
    if (count > type->elements[idx].maxOccurs) return Note(frame, FAULT_TOO_MANY, name, idx);
    return true;
  }

  static bool Note(Frame& frame, Fault fault, const char* name, std::size_t position) {
    frame.fault = fault;
    frame.faultName = name;
    frame.faultPosition = position;
    return false;
  }

  // A text child of frame goes by; false when the content of frame has a
  // fault.
  bool Text(Frame& frame, const pugi::xml_node& node) {
    const AppXdrElementType* type = frame.type;
    if (type == nullptr) return true;
    frame.hasText = true;
    if (type->text.dataType != 0) m_text += node.value();
    return type->content != AppXdrElementType::CONTENT_EMPTY && type->content != AppXdrElementType::CONTENT_ELT_ONLY;
  }

  // Any child of frame.
  void AnyChild(Frame& frame, const pugi::xml_node& node) {
    const pugi::xml_node_type kind = node.type();
    if (kind == pugi::node_element) {
      const char* name = node.name();
      Child(frame, name, Resolve(name));
    } else if (kind == pugi::node_pcdata || kind == pugi::node_cdata) {
      Text(frame, node);
    }
  }

  // The checks of an element that need all its children, in their order;
  // false with the reason at the first fault.
  bool Finish(const Frame& frame, std::string& reason) {
    const AppXdrElementType& type = *frame.type;
    const auto who = [&] { return Who(frame.name); };
    if (type.content == AppXdrElementType::CONTENT_EMPTY && (frame.hasText || frame.firstElement != nullptr)) {
      reason = who() + " must be empty";
      return false;
    }
    if (type.content == AppXdrElementType::CONTENT_TEXT_ONLY && frame.firstElement != nullptr) {
      reason = who() + " may hold text only, not the element '" + frame.firstElement + "'";
      return false;
    }
    if (type.content == AppXdrElementType::CONTENT_ELT_ONLY && frame.hasText) {
      reason = who() + " may hold elements only, not text";
      return false;
    }
    if (type.text.dataType != 0) {
      const std::string_view text = std::string_view(m_text).substr(frame.textBase);
      const std::string fault = AttributeValueFault(type.text, text);
      if (!fault.empty()) {
        reason = who() + " has the text \"" + std::string(text) + "\"" + fault;
        return false;
      }
    }
    switch (frame.fault) {
      case FAULT_NONE: break;
      case FAULT_NOT_ALLOWED:
        reason = who() + ": child element '" + frame.faultName + "' is not allowed by the closed model";
        return false;
      case FAULT_OUT_OF_ORDER:
        reason = who() + ": child element '" + frame.faultName + "' is out of order";
        return false;
      case FAULT_TOO_MANY:
        reason = who() + ": child element '" + frame.faultName + "' occurs more than " +
                 std::to_string(type.elements[frame.faultPosition].maxOccurs) + " time(s)";
        return false;
    }
    if (!type.particles.empty()) {
      if (MatchModel(type, frame.symbolsBase, reason)) return true;
      reason = who() + reason;
      return false;
    }
    const unsigned* counts = m_counts.data() + frame.countsBase;
    if (type.order == AppXdrElementType::ORDER_ONE) {
      if (frame.kinds > 1) {
        reason = who() + ": only one kind of child element is allowed";
        return false;
      }
      if (frame.kinds == 0 && !type.elements.empty() && !type.anyOptional) {
        reason = who() + ": one child element of the content model is required";
        return false;
      }
      return true;
    }
    if (!type.anyMinimum) return true;
    for (std::size_t i = 0; i < type.elements.size(); ++i) {
      if (counts[i] < type.elements[i].minOccurs) {
        reason = who() + ": child element '" + type.elements[i].type + "' is required " +
                 std::to_string(type.elements[i].minOccurs) + " time(s), found " + std::to_string(counts[i]);
        return false;
      }
    }
    return true;
  }

  // Drops the scratch of frame and of the elements inside it.
  void Truncate(const Frame& frame) {
    if (m_counts.size() != frame.countsBase) m_counts.resize(frame.countsBase);
    if (m_symbols.size() != frame.symbolsBase) {
      m_symbols.resize(frame.symbolsBase);
      m_symbolNames.resize(frame.symbolsBase);
    }
    if (m_text.size() != frame.textBase) m_text.resize(frame.textBase);
  }

  // The innermost open element has seen all its children.
  bool Close() {
    const unsigned depth = --m_open;
    const Frame& frame = m_frames[depth];
    if (frame.type != nullptr && !Finish(frame, m_fault)) return Unwind(depth, frame.node, std::move(m_fault));
    Truncate(frame);
    RestoreScope(depth);
    return true;
  }

  // A fault at depth: of the element faulty (reason), or of the content of
  // its parent when faulty is null. The open elements above it see the rest
  // of their children (each one's latest child is marked at the depth below
  // it), and the outermost one with a fault is reported. Returns false, to
  // end the walk.
  bool Unwind(unsigned depth, pugi::xml_node faulty, std::string reason) {
    for (unsigned k = depth; k-- > 0;) {
      Frame& frame = m_frames[k];
      if (frame.type == nullptr) continue;
      const Frame& inner = m_frames[k + 1];  // its child on the way to the fault
      Truncate(inner);
      RestoreScope(k + 1);
      for (pugi::xml_node c = inner.node.next_sibling(); c; c = c.next_sibling()) AnyChild(frame, c);
      std::string outer;
      if (!Finish(frame, outer)) {
        faulty = frame.node;
        reason = std::move(outer);
      }
    }
    *m_where = faulty;
    *m_reason = std::move(reason);
    m_open = 0;
    return false;
  }

  // ---- Content models with groups ----
  // m_symbols holds the symbols of the known child elements in document
  // order from the element's base, m_symbolNames their names; Match*
  // advance pos over them and on failure set reason (after the element's
  // name).

  bool Starts(const AppXdrParticle& p, std::size_t pos) const {
    return pos < m_symbols.size() && p.maxOccurs != 0 && IsIn(p.first, m_symbols[pos]);
  }

  // The occurrences of a particle from pos, as many as start there.
  bool MatchRepeated(const AppXdrElementType& type, unsigned index, std::size_t& pos, unsigned& count,
                     std::string& reason) {
    const AppXdrParticle& p = type.particles[index];
    count = 0;
    while (count < p.maxOccurs && Starts(p, pos)) {
      const std::size_t before = pos;
      if (!MatchOnce(type, index, pos, reason)) return false;
      ++count;
      if (pos == before) break;
    }
    return true;
  }

  bool Enough(const AppXdrElementType& type, unsigned index, unsigned count, std::string& reason) const {
    const AppXdrParticle& p = type.particles[index];
    if (count >= p.minOccurs || p.bodyNullable) return true;
    reason = std::string(p.isGroup ? ": child group " : ": child element '") + Describe(type, index) +
             (p.isGroup ? "" : "'") + " is required " + std::to_string(p.minOccurs) + " time(s), found " +
             std::to_string(count);
    return false;
  }

  // One occurrence of a particle that starts at pos (or of the root).
  bool MatchOnce(const AppXdrElementType& type, unsigned index, std::size_t& pos, std::string& reason) {
    const AppXdrParticle& p = type.particles[index];
    if (!p.isGroup) {
      ++pos;
      return true;
    }
    unsigned count = 0;
    switch (p.order) {
      case AppXdrParticle::ORDER_SEQ:
        for (const unsigned item : p.items) {
          if (!MatchRepeated(type, item, pos, count, reason) || !Enough(type, item, count, reason)) return false;
        }
        return true;
      case AppXdrParticle::ORDER_ONE:
        for (const unsigned item : p.items) {
          if (Starts(type.particles[item], pos)) {
            return MatchRepeated(type, item, pos, count, reason) && Enough(type, item, count, reason);
          }
        }
        if (p.bodyNullable) return true;
        reason = ": one of " + Describe(type, index) + " is required";
        return false;
      case AppXdrParticle::ORDER_MANY: {
        // The counts of the items live on a scratch stack shared by the
        // nested groups; indexed, as nested groups may grow it.
        const std::size_t base = m_groupCounts.size();
        m_groupCounts.resize(base + p.items.size(), 0);
        for (bool progress = true; progress;) {
          progress = false;
          for (std::size_t k = 0; k < p.items.size(); ++k) {
            const AppXdrParticle& item = type.particles[p.items[k]];
            if (!Starts(item, pos)) continue;
            if (++m_groupCounts[base + k] > item.maxOccurs) {
              reason = std::string(item.isGroup ? ": child group " : ": child element '") +
                       Describe(type, p.items[k]) + (item.isGroup ? "" : "'") + " occurs more than " +
                       std::to_string(item.maxOccurs) + " time(s)";
              return false;
            }
            const std::size_t before = pos;
            if (!MatchOnce(type, p.items[k], pos, reason)) return false;
            progress = pos != before;
            break;
          }
        }
        for (std::size_t k = 0; k < p.items.size(); ++k) {
          if (!Enough(type, p.items[k], m_groupCounts[base + k], reason)) return false;
        }
        m_groupCounts.resize(base);
        return true;
      }
    }
    return true;
  }

  bool MatchModel(const AppXdrElementType& type, std::size_t base, std::string& reason) {
    std::size_t pos = base;
    m_groupCounts.clear();
    if (!MatchOnce(type, 0, pos, reason)) return false;
    if (pos < m_symbols.size()) {
      reason = ": child element '" + std::string(m_symbolNames[pos]) + "' is not expected here";
      return false;
    }
    return true;
  }

  const CAppToolsXML::DomSchemaCollection& m_schemas;
  const AppXdrSchema* m_noNamespace = nullptr;
  pugi::xml_node* m_where = nullptr;
  std::string* m_reason = nullptr;
  std::string m_fault;  // the reason of a fault, kept to spare a string per element
  std::vector<Binding> m_scope;             // innermost last
  const AppXdrSchema* m_default = nullptr;  // of the names without prefix, in the current scope
  std::vector<Frame> m_frames;              // by depth; the first m_open are open
  unsigned m_open = 0;
  unsigned m_skip = UINT_MAX;  // the depth of an element whose subtree is left unchecked
  // The attributes of the element being opened.
  std::vector<Seen> m_seen;  // by slot of the attribute names of its type
  std::uint32_t m_stamp = 0;
  const char* m_undeclared = nullptr;
  // The stacks of the open elements' scratch.
  std::vector<unsigned> m_counts;
  std::vector<unsigned> m_symbols;
  std::vector<const char*> m_symbolNames;
  std::string m_text;
  std::vector<unsigned> m_groupCounts;
};

}  // namespace

void AppXdrNameTable::Build(const std::vector<std::string>& names) {
  m_slots.assign(m_hash.Fit(names.size()), Slot());
  m_chars.clear();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (name.empty() || Find(name.c_str()) >= 0) continue;
    const std::uint32_t head = Head(name.c_str());
    std::uint32_t at = m_hash.Home(head);
    while (m_slots[at].index >= 0) at = m_hash.Next(at);
    m_slots[at] = {head, static_cast<std::uint32_t>(name.size()), static_cast<std::uint32_t>(m_chars.size()),
                   static_cast<int>(i)};
    m_chars.append(name);
  }
}

void AppXdrIndexMap::Build(const std::vector<std::pair<unsigned, unsigned>>& pairs) {
  m_slots.assign(m_hash.Fit(pairs.size()), Slot());
  for (const auto& [key, value] : pairs) {
    std::uint32_t at = m_hash.Home(key);
    while (m_slots[at].value >= 0 && m_slots[at].key != key) at = m_hash.Next(at);
    m_slots[at] = {key, static_cast<int>(value)};
  }
}

bool AppXdrParse(const pugi::xml_document& doc, AppXdrSchema& schema, std::string& reason) {
  const pugi::xml_node root = doc.document_element();
  if (!root || std::strcmp(LocalName(root.name()), "Schema") != 0) {
    reason = "The root element is not <Schema>";
    return false;
  }
  std::map<std::string, AppXdrAttribute> globalAttrs;
  for (const pugi::xml_node& child : root.children()) {
    if (child.type() == pugi::node_element && std::strcmp(LocalName(child.name()), "AttributeType") == 0) {
      AppXdrAttribute attr;
      if (!ParseAttributeType(child, attr, reason)) return false;
      globalAttrs[attr.name] = attr;
    }
  }
  std::map<std::string, AppXdrElementType, std::less<>> types;
  for (const pugi::xml_node& child : root.children()) {
    if (child.type() == pugi::node_element && std::strcmp(LocalName(child.name()), "ElementType") == 0) {
      AppXdrElementType type;
      if (!ParseElementType(child, globalAttrs, type, reason)) return false;
      types[type.name] = type;
    }
  }
  for (const auto& [name, type] : types) {
    for (const AppXdrElementRef& ref : type.elements) {
      if (types.count(ref.type) == 0) {
        reason = "ElementType \"" + name + "\" refers to undeclared element \"" + ref.type + "\"";
        return false;
      }
    }
    for (const std::string& symbol : type.symbols) {
      if (types.count(symbol) == 0) {
        reason = "ElementType \"" + name + "\" refers to undeclared element \"" + symbol + "\"";
        return false;
      }
    }
  }
  Compile(types, schema);
  return true;
}

bool AppXdrValidate(pugi::xml_document& doc, const CAppToolsXML::DomSchemaCollection& schemas,
                    pugi::xml_node& where, std::string& reason) {
  if (schemas.byNamespace.empty()) return true;
  return Validator(schemas).Run(doc, where, reason);
}
