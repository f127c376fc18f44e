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

std::string_view Prefix(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon != nullptr ? std::string_view(name, static_cast<std::size_t>(colon - name)) : std::string_view();
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

class Validator {
public:
  Validator(const CAppToolsXML::DomSchemaCollection& schemas) : m_schemas(schemas) {}

  bool Run(pugi::xml_document& doc, pugi::xml_node& where, std::string& reason) {
    // Iterative walk: a deeply nested document must not exhaust the stack.
    struct Frame {
      pugi::xml_node node;
      std::size_t scopeSize;
      bool openParent;  // the parent lets undeclared elements through
    };
    std::vector<Frame> stack;
    for (pugi::xml_node n = doc.last_child(); n; n = n.previous_sibling()) {
      if (n.type() == pugi::node_element) stack.push_back({n, 0, false});
    }
    while (!stack.empty()) {
      const Frame frame = stack.back();
      stack.pop_back();
      m_scope.resize(frame.scopeSize);
      pugi::xml_node node = frame.node;
      for (const pugi::xml_attribute& a : node.attributes()) {
        const char* name = a.name();
        if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0) continue;
        if (name[5] == '\0') Declare("", a.value());
        else if (name[5] == ':') Declare(name + 6, a.value());
      }
      const AppXdrSchema* schema = SchemaOf(node.name());
      bool descend = true;
      bool open = true;
      if (schema != nullptr) {
        const auto type = schema->elementTypes.find(LocalName(node.name()));
        if (type == schema->elementTypes.end()) {
          // Open content may hold elements the schema does not know; they are
          // left unchecked, with their subtree.
          if (!frame.openParent) {
            where = node;
            reason = "Element '" + std::string(node.name()) + "' is not declared in the schema \"" +
                     NamespaceOf(node.name()) + "\"";
            return false;
          }
          descend = false;
        } else if (!CheckElement(node, *schema, type->second, reason)) {
          where = node;
          return false;
        } else {
          open = !type->second.closed;
        }
      }
      if (!descend) continue;
      const std::size_t scopeSize = m_scope.size();
      for (pugi::xml_node c = node.last_child(); c; c = c.previous_sibling()) {
        if (c.type() == pugi::node_element) stack.push_back({c, scopeSize, open});
      }
    }
    return true;
  }

private:
  struct Binding {
    std::string prefix;
    std::string uri;
    const AppXdrSchema* schema;  // resolved once, where the prefix is declared
  };

  void Declare(const char* prefix, const char* uri) {
    const auto found = m_schemas.byNamespace.find(uri);
    m_scope.push_back({prefix, uri, found != m_schemas.byNamespace.end() ? &found->second : nullptr});
  }

  const Binding* BindingOf(const char* qname) const {
    const std::string_view prefix = Prefix(qname);
    for (auto it = m_scope.rbegin(); it != m_scope.rend(); ++it) {
      if (it->prefix == prefix) return &*it;
    }
    return nullptr;
  }

  std::string NamespaceOf(const char* qname) const {
    const Binding* binding = BindingOf(qname);
    return binding != nullptr ? binding->uri : std::string();
  }

  const AppXdrSchema* SchemaOf(const char* qname) const {
    const Binding* binding = BindingOf(qname);
    if (binding != nullptr) return binding->schema;
    // No declaration in scope: the empty namespace, which a collection may
    // also hold.
    const auto found = m_schemas.byNamespace.find(std::string());
    return found != m_schemas.byNamespace.end() ? &found->second : nullptr;
  }

  // ---- Content models with groups ----
  // m_symbols holds the symbols of the known child elements in document
  // order, m_symbolNodes the elements; Match* advance pos over them and on
  // failure set reason (after the element's name).

  bool Starts(const AppXdrParticle& p, std::size_t pos) const {
    return pos < m_symbols.size() && p.maxOccurs != 0 && IsIn(p.first, m_symbols[pos]);
  }

  // The occurrences of a particle from pos, as many as start there.
  bool MatchRepeated(const AppXdrElementType& type, unsigned index, std::size_t& pos, unsigned& count,
                     std::string& reason) const {
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
  bool MatchOnce(const AppXdrElementType& type, unsigned index, std::size_t& pos, std::string& reason) const {
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
        std::vector<unsigned> counts(p.items.size(), 0);
        for (bool progress = true; progress;) {
          progress = false;
          for (std::size_t k = 0; k < p.items.size(); ++k) {
            const AppXdrParticle& item = type.particles[p.items[k]];
            if (!Starts(item, pos)) continue;
            if (++counts[k] > item.maxOccurs) {
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
          if (!Enough(type, p.items[k], counts[k], reason)) return false;
        }
        return true;
      }
    }
    return true;
  }

  bool MatchModel(const AppXdrElementType& type, std::string& reason) const {
    std::size_t pos = 0;
    if (!MatchOnce(type, 0, pos, reason)) return false;
    if (pos < m_symbols.size()) {
      reason = ": child element '" + std::string(m_symbolNodes[pos].name()) + "' is not expected here";
      return false;
    }
    return true;
  }

  bool CheckElement(pugi::xml_node& node, const AppXdrSchema& schema, const AppXdrElementType& type,
                    std::string& reason) {
    // Messages are built only on failure: this runs once per element.
    const auto who = [&] { return "Element '" + std::string(node.name()) + "'"; };
    // Attributes.
    for (const AppXdrAttribute& decl : type.attributes) {
      pugi::xml_attribute attr = node.attribute(decl.name.c_str());
      if (!attr) {
        if (decl.required) {
          reason = who() + ": required attribute '" + decl.name + "' is missing";
          return false;
        }
        if (decl.hasDefault) node.append_attribute(decl.name.c_str()).set_value(decl.defaultValue.c_str());
        continue;
      }
      if (decl.dataType != 0) {
        const std::string fault = AttributeValueFault(decl, attr.value());
        if (!fault.empty()) {
          reason = who() + ": attribute '" + decl.name + "' has the value \"" + attr.value() + "\"" + fault;
          return false;
        }
      }
    }
    if (type.closed) {
      for (const pugi::xml_attribute& a : node.attributes()) {
        if (std::strchr(a.name(), ':') != nullptr || std::strcmp(a.name(), "xmlns") == 0) continue;
        bool declared = false;
        for (const AppXdrAttribute& decl : type.attributes) declared = declared || decl.name == a.name();
        if (!declared) {
          reason = who() + ": attribute '" + a.name() + "' is not declared and the model is closed";
          return false;
        }
      }
    }

    // Content kind.
    std::vector<pugi::xml_node>& children = m_children;
    children.clear();
    bool hasText = false;
    for (const pugi::xml_node& c : node.children()) {
      if (c.type() == pugi::node_element) children.push_back(c);
      else if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) hasText = true;
    }
    if (type.content == AppXdrElementType::CONTENT_EMPTY && (hasText || !children.empty())) {
      reason = who() + " must be empty";
      return false;
    }
    if (type.content == AppXdrElementType::CONTENT_TEXT_ONLY && !children.empty()) {
      reason = who() + " may hold text only, not the element '" + children.front().name() + "'";
      return false;
    }
    if (type.content == AppXdrElementType::CONTENT_ELT_ONLY && hasText) {
      reason = who() + " may hold elements only, not text";
      return false;
    }

    // The text against its data type.
    if (type.text.dataType != 0) {
      std::string& text = m_text;
      text.clear();
      for (const pugi::xml_node& c : node.children()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) text += c.value();
      }
      const std::string fault = AttributeValueFault(type.text, text);
      if (!fault.empty()) {
        reason = who() + " has the text \"" + text + "\"" + fault;
        return false;
      }
    }

    if (!type.particles.empty()) {
      m_symbols.clear();
      m_symbolNodes.clear();
      for (const pugi::xml_node& c : children) {
        std::size_t symbol = type.symbols.size();
        if (SchemaOf(c.name()) == &schema) {
          const std::string_view local = LocalName(c.name());
          symbol = static_cast<std::size_t>(std::find(type.symbols.begin(), type.symbols.end(), local) -
                                            type.symbols.begin());
        }
        if (symbol == type.symbols.size()) {
          if (type.closed) {
            reason = who() + ": child element '" + c.name() + "' is not allowed by the closed model";
            return false;
          }
          continue;
        }
        m_symbols.push_back(static_cast<unsigned>(symbol));
        m_symbolNodes.push_back(c);
      }
      if (MatchModel(type, reason)) return true;
      reason = who() + reason;
      return false;
    }

    // Child elements against the content model.
    std::vector<unsigned>& counts = m_counts;
    counts.assign(type.elements.size(), 0);
    std::size_t seqPos = 0;
    for (const pugi::xml_node& c : children) {
      const std::string_view local = LocalName(c.name());
      std::size_t idx = type.elements.size();
      if (SchemaOf(c.name()) == &schema) {
        for (std::size_t i = 0; i < type.elements.size(); ++i) {
          if (type.elements[i].type == local) idx = i;
        }
      }
      if (idx == type.elements.size()) {
        if (type.closed) {
          reason = who() + ": child element '" + c.name() + "' is not allowed by the closed model";
          return false;
        }
        continue;
      }
      if (type.order == AppXdrElementType::ORDER_SEQ) {
        if (idx < seqPos) {
          reason = who() + ": child element '" + c.name() + "' is out of order";
          return false;
        }
        seqPos = idx;
      }
      if (++counts[idx] > type.elements[idx].maxOccurs) {
        reason = who() + ": child element '" + c.name() + "' occurs more than " +
                 std::to_string(type.elements[idx].maxOccurs) + " time(s)";
        return false;
      }
    }
    std::size_t kinds = 0;
    for (unsigned n : counts) kinds += n != 0 ? 1 : 0;
    if (type.order == AppXdrElementType::ORDER_ONE) {
      if (kinds > 1) {
        reason = who() + ": only one kind of child element is allowed";
        return false;
      }
      if (kinds == 0 && !type.elements.empty()) {
        bool optional = false;
        for (const AppXdrElementRef& ref : type.elements) optional = optional || ref.minOccurs == 0;
        if (!optional) {
          reason = who() + ": one child element of the content model is required";
          return false;
        }
      }
      return true;
    }
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (counts[i] < type.elements[i].minOccurs) {
        reason = who() + ": child element '" + type.elements[i].type + "' is required " +
                 std::to_string(type.elements[i].minOccurs) + " time(s), found " + std::to_string(counts[i]);
        return false;
      }
    }
    return true;
  }

  const CAppToolsXML::DomSchemaCollection& m_schemas;
  std::vector<Binding> m_scope;  // innermost last
  std::vector<pugi::xml_node> m_children;                    // scratch of CheckElement
  std::vector<unsigned> m_counts;
  std::string m_text;
  std::vector<unsigned> m_symbols;
  std::vector<pugi::xml_node> m_symbolNodes;
};

}  // namespace

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
  for (const pugi::xml_node& child : root.children()) {
    if (child.type() == pugi::node_element && std::strcmp(LocalName(child.name()), "ElementType") == 0) {
      AppXdrElementType type;
      if (!ParseElementType(child, globalAttrs, type, reason)) return false;
      schema.elementTypes[type.name] = type;
    }
  }
  for (const auto& [name, type] : schema.elementTypes) {
    for (const AppXdrElementRef& ref : type.elements) {
      if (schema.elementTypes.count(ref.type) == 0) {
        reason = "ElementType \"" + name + "\" refers to undeclared element \"" + ref.type + "\"";
        return false;
      }
    }
    for (const std::string& symbol : type.symbols) {
      if (schema.elementTypes.count(symbol) == 0) {
        reason = "ElementType \"" + name + "\" refers to undeclared element \"" + symbol + "\"";
        return false;
      }
    }
  }
  return true;
}

bool AppXdrValidate(pugi::xml_document& doc, const CAppToolsXML::DomSchemaCollection& schemas,
                    pugi::xml_node& where, std::string& reason) {
  if (schemas.byNamespace.empty()) return true;
  return Validator(schemas).Run(doc, where, reason);
}
