// Writing parameter trees in the description vocabulary (the loader is in
// AppStreamXML.cpp). Errors name the XML stream, AppStreamXML, as their file.
#include "appconfig/AppStreamXML.h"

#include <charconv>
#include <new>

#include "AppXmlInternal.h"

#include "appconfig/AppDynamic.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"

#define SAVE_THROW(...) AppThrowException("AppStreamXML", __LINE__, __VA_ARGS__)
#define SAVE_CHECK_POINTER(p)                  \
  do {                                         \
    if ((p) == nullptr) SAVE_THROW("Bad pointer"); \
  } while (0)

namespace {

using Element = CAppToolsXML::Element;

// The loader refuses deeper nesting; a file it cannot read is not written.
constexpr unsigned kMaxDepth = CAppStreamXML::MAX_DEPTH;

// Integers become their decimal text here rather than through a numeric
// variant: same text, without a conversion per field.
template <class T>
CAppVariant NumberText(const void* value) {
  char buffer[24];
  const T number = *static_cast<const T*>(value);
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  return CAppVariant(std::string(buffer, result.ptr));
}

bool IsKeyField(const std::string& name) {
  return name.size() == 3 && (name[0] | 0x20) == 'k' && (name[1] | 0x20) == 'e' && (name[2] | 0x20) == 'y';
}

}  // namespace

// --- Save ---------------------------------------------------------------------------

bool CAppStreamXML::Save(const std::string& file, CAppParam* param) {
  if (file.empty()) return false;
  try {
    SaveStream stream;
    return stream.Serialize(file, param);
  } catch (const std::bad_alloc&) {
    SAVE_THROW("Out of memory : %s%s.xml", CAppToolsXML::GetPath().c_str(), file.c_str());
  }
}

bool CAppStreamXML::SaveStream::Serialize(const std::string& file, CAppParam* param) {
  Element root;
  m_document.Create(root);
  if (param != nullptr) {
    SaveRecord record(this, &root, param);
    param->Serialize(&record);
  }
  // Only a complete document reaches the file.
  return m_document.Save(file);
}

const CAppVariant& CAppStreamXML::SaveStream::GetTypeName(const CAppParam& param) {
  std::string className = param.GetClassName();
  auto found = m_typeNames.find(className);
  if (found == m_typeNames.end()) {
    CAppVariant alias(CAppDynamic::GetAliasByClass(className));
    found = m_typeNames.emplace(std::move(className), std::move(alias)).first;
  }
  return found->second;
}

// --- SaveRecord ---------------------------------------------------------------------

CAppStreamXML::SaveRecord::SaveRecord(SaveStream* stream, Element* parent, CAppParam* param)
    : m_pStream(stream), m_pParam(param) {
  SAVE_CHECK_POINTER(stream);
  SAVE_CHECK_POINTER(parent);
  SAVE_CHECK_POINTER(param);
  CAppToolsXML::Document& document = m_pStream->GetDocument();
  document.CreateElement("Param", m_element, parent);
  document.CreateAttribut("Type", m_pStream->GetTypeName(*param), &m_element);
}

CAppStreamXML::SaveRecord::SaveRecord(SaveRecord* parent, CAppParam* param)
    : m_pStream(nullptr), m_pParam(param) {
  SAVE_CHECK_POINTER(parent);
  SAVE_CHECK_POINTER(param);
  m_pStream = parent->m_pStream;
  m_nDepth = parent->m_nDepth + 1;
  if (m_nDepth > kMaxDepth) {
    SAVE_THROW("Nesting deeper than %u at %s (Key=%s)", kMaxDepth, param->GetClassName().c_str(),
               param->GetKey().c_str());
  }
  CAppToolsXML::Document& document = m_pStream->GetDocument();
  document.CreateElement("Param", m_element, &parent->m_element);
  document.CreateAttribut("Type", m_pStream->GetTypeName(*param), &m_element);
}

void CAppStreamXML::SaveRecord::ThrowField(const char* problem) {
  SAVE_THROW("\"%s\" Field of %s (Key=%s): %s", GetName().c_str(), m_pParam->GetClassName().c_str(),
             m_pParam->GetKey().c_str(), problem);
}

void CAppStreamXML::SaveRecord::CheckText(const std::string& text) {
  const std::size_t bad = AppXmlFindBadChar(text);
  if (bad == std::string::npos) return;
  ThrowField(CAppTools::Format("byte 0x%02X at %zu is a character XML cannot carry (a control character, a NUL "
                               "or text that is not UTF-8)",
                               static_cast<unsigned>(static_cast<unsigned char>(text[bad])), bad)
                 .c_str());
}

void CAppStreamXML::SaveRecord::Serialize(void* value, unsigned index) {
  SAVE_CHECK_POINTER(value);
  const std::uint32_t type = GetType();
  const bool isArray = (type & FT_ARRAY) != 0;
  CAppVariant text;
  switch (type & 0x0FFFu) {
    case FT_PARAM:
      WriteChild(*static_cast<CAppParam**>(value));
      return;
    case FT_FLAGS:
      WriteFlags(*static_cast<const CAppTools::Flags*>(value));
      return;
    case FT_TYPE: {
      const std::uint32_t code = *static_cast<const CAppTools::Type*>(value);
      if (code == 0) return;  // no type set: nothing to write
      try {
        text = CAppTools::VtToString(code);
      } catch (const CAppException&) {
        ThrowField(CAppTools::Format("type code 0x%04x has no name", code).c_str());
      }
      break;
    }
    case FT_STRING: {
      const auto& string = *static_cast<const std::string*>(value);
      if (!isArray) {
        if (IsKeyField(GetName())) {
          CheckText(string);
          m_pStream->GetDocument().CreateAttribut("Key", CAppVariant(string), &m_element);
          return;
        }
        if (string.empty()) return;
      }
      // An empty entry of a string array is kept: dropping it would shift
      // every entry after it.
      CheckText(string);
      text = string;
      break;
    }
    case FT_VARIANT:
      text = *static_cast<const CAppVariant*>(value);
      if (text.IsString()) CheckText(text.ToString());
      break;
    case FT_I1: text = NumberText<signed char>(value); break;
    case FT_UI1: text = NumberText<unsigned char>(value); break;
    case FT_I2: text = NumberText<std::int16_t>(value); break;
    case FT_UI2: text = NumberText<std::uint16_t>(value); break;
    case FT_I4: text = NumberText<std::int32_t>(value); break;
    case FT_UI4: text = NumberText<std::uint32_t>(value); break;
    // The loader does not read 64-bit fields back; the file still holds them.
    case FT_I8: text = NumberText<std::int64_t>(value); break;
    case FT_UI8: text = NumberText<std::uint64_t>(value); break;
    default:
      ThrowField(CAppTools::Format("field type 0x%04x cannot be written", type).c_str());
  }
  if (isArray) {
    WriteEntry(text, index);
  } else {
    if (index != 0) SAVE_THROW("Error");
    WriteProperty(text);
  }
}

// An array field that wrote no entry leaves no "Array" element.
void CAppStreamXML::SaveRecord::Validate() { m_array = Element(); }

void CAppStreamXML::SaveRecord::WriteProperty(const CAppVariant& value) {
  CAppToolsXML::Document& document = m_pStream->GetDocument();
  Element property;
  document.CreateElement("Property", property, &m_element);
  document.CreateAttribut("Name", CAppVariant(GetName()), &property);
  document.CreateAttribut("Value", value, &property);
}

void CAppStreamXML::SaveRecord::WriteEntry(const CAppVariant& value, unsigned /*index*/) {
  CAppToolsXML::Document& document = m_pStream->GetDocument();
  // The element comes with the field's first entry: an empty field has none.
  if (m_array == 0) {
    document.CreateElement("Array", m_array, &m_element);
    document.CreateAttribut("Name", CAppVariant(GetName()), &m_array);
  }
  Element entry;
  document.CreateElement("Element", entry, &m_array);
  document.CreateAttribut("Value", value, &entry);
}

void CAppStreamXML::SaveRecord::WriteFlags(std::uint32_t flags) {
  if (flags == 0) return;
  CAppToolsXML::Document& document = m_pStream->GetDocument();
  Element field;
  document.CreateElement("BitField", field, &m_element);
  document.CreateAttribut("Name", CAppVariant(GetName()), &field);
  for (unsigned bit = 0; bit < 32; ++bit) {
    if ((flags & (1u << bit)) == 0) continue;
    Element element;
    document.CreateElement("Bit", element, &field);
    document.CreateAttribut("Set", CAppVariant(CAppTools::Format("%u", bit)), &element);
  }
}

void CAppStreamXML::SaveRecord::WriteChild(CAppParam* child) {
  if (child == nullptr) ThrowField("null child");
  SaveRecord record(this, child);
  child->Serialize(&record);
}
