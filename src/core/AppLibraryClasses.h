// What the library knows of its own parameter classes, beyond the registry.
#pragma once

struct CAppRuntimeClass;

// Whether `type` is exactly one of the library's own parameter classes. Their
// Serialize and constructors touch nothing but the object at hand, so that
// distinct objects of them may be read or written on different threads at
// once. Classes of the host or of extension modules promise no such thing.
bool AppIsLibraryParamClass(const CAppRuntimeClass* type);
