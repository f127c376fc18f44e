// Shared test fixtures: capture of soft errors and exception matching.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appconfig/AppException.h"
#include "appconfig/AppLog.h"

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
