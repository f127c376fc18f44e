// What the command-line tool and the editor both need to find and read
// description files.
#pragma once

#include <string>
#include <vector>

// The folder of Description.xdr: the source tree's while running from a
// build, else the installed one.
std::string DefaultSchemaDir();

// Writes the developer files (Log.txt, Time.txt) into `folder`, which the
// user named; without it they are written nowhere.
void UseLogFolder(const std::string& folder);

// Points the library's document path at the file's folder and returns the
// file's name without folder and extension, as the loader wants it.
std::string UseDescription(const std::string& file);

// The keys of the definitions a description file holds, in document order,
// and whether it has resource sections: a value file written by the library
// has one definition and none.
struct DescriptionContents {
  std::vector<std::string> keys;
  bool hasResources = false;
};
DescriptionContents ReadDescriptionContents(const std::string& file);

// The key of the one definition a value file holds; another count throws.
std::string OnlyDefinitionKey(const std::string& file);

// Whether the file is a CANopen device file (.eds or .dcf, any case), read
// with CAppStreamEDS; its one definition is keyed DEVICE.
bool IsDeviceFile(const std::string& file);
constexpr const char* DEVICE_KEY = "DEVICE";
