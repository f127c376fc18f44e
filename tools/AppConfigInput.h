// Values typed by a person on the command line, checked before the library
// takes them: the library coerces a value to its parameter's type (cutting
// 70000 to 4464 in 16 bits), which is right for data but not for a person
// who should hear that the value does not fit.
#pragma once

#include <string>

class CAppParam;

// Throws a CAppException naming the value, the parameter's type and the
// range it holds when `text` is no value of `param` (a number outside its
// type or bounds, a value outside its enumeration). Other parameters take
// any text.
void CheckTypedValue(CAppParam& param, const std::string& path, const std::string& text);
