// What the library knows of its own parameter classes, beyond the registry.
#pragma once

#include <string_view>

struct CAppRuntimeClass;

// The library's own parameter class named `upperName` (a class name
// upper-cased, as the registry keys it), else null. Their constructors and
// Serialize touch nothing but the object at hand, so that distinct objects of
// them may be read on different threads at once; classes of the host or of
// extension modules promise no such thing. Every registry context holds these
// under their own names and no other class may take them: a thread that must
// not touch the registry resolves them here.
const CAppRuntimeClass* AppFindLibraryParamClass(std::string_view upperName);
