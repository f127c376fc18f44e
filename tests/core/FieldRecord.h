// A save record for the parameters' Serialize: lists each field it visits with
// its field code, in visiting order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppRecord.h"

class FieldRecord : public CAppRecord {
public:
  struct Field { std::string name; std::uint32_t type = 0; };

  void Serialize(void* /*value*/, unsigned /*index*/) override { fields.push_back(Field{GetName(), GetType()}); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Field& field : fields) names.push_back(field.name);
    return names;
  }

  std::vector<Field> fields;
};
