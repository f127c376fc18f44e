// A resource collection and a small tree whose string parameter opens the
// recording test link.
#pragma once

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "TestLink.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamValue.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppPage.h"
#include "appconfig/ui/AppSheet.h"

class UiFixture : public ::testing::Test {
protected:
  void SetUp() override {
    TestRecordingLink::Reset();
    resources.Init();
    station = root.SetAt("STATION", new CAppParamValue("Nom de station"));
    station->SetVariant(CAppVariant("IO-01"));
    station->SetHelp("Nom sous lequel le module se présente sur le réseau.");
    definition = UseTestLink(resources, station);
  }
  void TearDown() override { TestRecordingLink::Reset(); }

  std::vector<std::string>& Events() { return TestRecordingLink::Current().events; }
  std::string StationValue() { return station->GetVariant().GetStringRef(); }

  // Opens the station's properties: see OpenSheet.
  int OpenStation(std::function<void(CAppSheet&)> action, CAppSheet* sheet = nullptr) {
    return OpenSheet(resources, station, std::move(action), sheet);
  }
  // The value edit of the sheet's active page.
  static TestEdit* ActiveEdit(CAppSheet& sheet) {
    CAppPage* page = sheet.GetAppPage(-1);
    return page != nullptr ? page->findChild<TestEdit*>() : nullptr;
  }
  static void ClickTab(CAppSheet& sheet, int index) {
    QTabBar* tabs = sheet.GetTabWidget()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
  }

  CAppResources resources;
  CAppParamGroup root{"Module"};
  CAppParamValue* station = nullptr;
  CAppParamGroup* definition = nullptr;
};
