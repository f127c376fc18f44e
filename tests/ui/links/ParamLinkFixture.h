// The example device with its message boxes recorded, and ways to open a
// parameter's properties and reach the controls of the page shown.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"

// Dialog items of the link pages.
constexpr unsigned kValue = 13605;
constexpr unsigned kDefault = 13501;
constexpr unsigned kAddress = 13551;

class ParamLinks : public ExampleDevice {
protected:
  void SetUp() override {
    ExampleDevice::SetUp();
    messages = std::make_unique<RecordedMessageBoxes>();
  }
  void TearDown() override {
    messages.reset();
    ExampleDevice::TearDown();
  }

  // The parameter at `path` below the device group, as a T.
  template <class T>
  T* Param(const std::string& path) {
    T* param = nullptr;
    device->GetGroup()->GetAt(path, param);
    EXPECT_NE(param, nullptr) << path;
    return param;
  }
  int Open(CAppParam* param, std::function<void(CAppSheet&)> action, CAppSheet* sheet = nullptr) {
    return OpenSheet(resources, param, std::move(action), sheet);
  }
  std::vector<char> SavedTree() { return Saved(device.get()); }

  std::unique_ptr<RecordedMessageBoxes> messages;
};
