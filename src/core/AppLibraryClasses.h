// What the library knows of its own parameter classes, beyond the registry.
#pragma once

#include <string_view>

struct CAppRuntimeClass;

// Whether `type` is exactly one of the library's own parameter classes. Their
// Serialize and constructors touch nothing but the object at hand, so that
// distinct objects of them may be read or written on different threads at
// once. Classes of the host or of extension modules promise no such thing.
bool AppIsLibraryParamClass(const CAppRuntimeClass* type);

// The library's own parameter class registered under `upperName` (a class
// name upper-cased as the registry keys it), else null. Every registry
// context holds these under their own names, and no other class may take
// them: a thread that must not touch the registry resolves them here.
const CAppRuntimeClass* AppFindLibraryParamClass(std::string_view upperName);
