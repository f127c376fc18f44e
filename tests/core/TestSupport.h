// Shared test fixtures: capture of soft errors, exception matching, variants
// of an exact type, and the bytes of parameters and device images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "appconfig/AppDataRecord.h"
#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppVariant.h"

// Registers itself as the host's output interface for the life of a test.
class CapturedOutput : public COutputInfoInterface {
public:
  CapturedOutput() { CAppLog::SetPtr(this); }
  ~CapturedOutput() override {
    CAppLog::SetPtr(nullptr);
    CAppLog::SetFileName("");
    CAppLog::SetParentName("");
  }
  void OutputInfo(const std::string& text, unsigned long param) override {
    lines.push_back(text);
    params.push_back(param);
  }
  std::vector<std::string> lines;
  std::vector<unsigned long> params;
};

// Runs `statement` and returns the CAppException it throws; fails the test
// when it throws nothing.
template <class F>
CAppException CatchAppException(F&& statement) {
  try {
    statement();
  } catch (const CAppException& e) {
    return e;
  }
  ADD_FAILURE() << "no CAppException thrown";
  return CAppException();
}

// A variant of type `vt` set from a signed, an unsigned or a floating value.
inline CAppVariant Typed(std::uint16_t vt, std::int64_t value) {
  CAppVariant v;
  v.SetInt(vt, value);
  return v;
}
inline CAppVariant TypedU(std::uint16_t vt, std::uint64_t value) {
  CAppVariant v;
  v.SetUInt(vt, value);
  return v;
}
inline CAppVariant Real(std::uint16_t vt, double value) {
  CAppVariant v;
  v.SetDouble(vt, value);
  return v;
}

// The bytes that GetData gives (a parameter, a record's image, a control),
// and the device image of a tree (DataSerialize).
template <class T>
std::vector<std::uint8_t> DataOf(T& holder) {
  std::vector<std::uint8_t> bytes;
  holder.GetData(bytes);
  return bytes;
}
inline std::vector<std::uint8_t> ImageOf(const CAppDataRecord& record) { return DataOf(record); }
inline std::vector<std::uint8_t> ImageOf(CAppParam& root) {
  CAppDataRecord record(false);
  root.DataSerialize(&record);
  return ImageOf(record);
}

// The keys of a group's children, in order.
inline std::vector<std::string> KeysOf(const CAppParamGroup& group) {
  std::vector<std::string> keys;
  for (unsigned i = 0; i < group.GetCount(); ++i) keys.push_back(group.GetKeyAt(i));
  return keys;
}

// A node whose destruction is observable.
struct CountedParam : CAppParam {
  explicit CountedParam(int* d) : deaths(d) {}
  ~CountedParam() override { ++*deaths; }
  int* deaths;
};
