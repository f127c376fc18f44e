// The combo box, check box, button, slider, static and tree controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ControlTestSupport.h"
#include "platform/AppWindowMessages.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlSlider.h"
#include "appconfig/ui/AppCtrlStatic.h"
#include "appconfig/ui/AppCtrlTree.h"

namespace {

template <class Control>
struct OnePage {
  QWidget owner;
  RecordingLink link;
  Control* control;

  explicit OnePage(Control* made, unsigned id = 13605) : control(made) {
    control->SetLink(&link);
    PlaceOnPage(MakePage(owner), control, id);
  }
};

}  // namespace

TEST(AppCtrlCombo, CurrentItemWaitsForTheEndOfActivation) {
  OnePage<CAppCtrlCombo> page(new CAppCtrlCombo);
  for (unsigned i = 0; i < 3; ++i) EXPECT_EQ(page.control->AddItem(10 + i, "Item " + std::to_string(i)), int(i));
  EXPECT_EQ(page.control->GetValue(2), 12u);
  EXPECT_EQ(page.control->GetValue(3), 0u);
  EXPECT_FALSE(page.control->SetCurrentItem(3));
  page.link.ModifyFlags(0, CAppLnkWnd::LNK_ACTIVATING);
  SendAppMessage(page.control, AppWindowMessage::CtrlBeginActivate, 0, 0);
  EXPECT_TRUE(page.control->SetCurrentItem(2));
  EXPECT_EQ(page.control->currentIndex(), 0) << "only remembered while activating";
  page.link.ModifyFlags(CAppLnkWnd::LNK_ACTIVATING, 0);
  SendAppMessage(page.control, AppWindowMessage::CtrlEndActivate, 0, 0);
  EXPECT_EQ(page.control->currentIndex(), 2);
  EXPECT_TRUE(page.control->updatesEnabled());
  // A remembered index past a shorter list falls back to the first item.
  page.control->removeItem(2);
  SendAppMessage(page.control, AppWindowMessage::CtrlEndActivate, 0, 0);
  EXPECT_EQ(page.control->currentIndex(), 0);
  EXPECT_TRUE(page.link.changes.empty());
  page.control->setFocus();
  QTest::keyClick(page.control, Qt::Key_Down);
  EXPECT_EQ(page.link.changes, std::vector<unsigned>{13605});
  EXPECT_EQ(page.control->GetCurrentItem(), 1);
  CAppLnkWnd::SetReadOnly(page.control, 1);
  EXPECT_FALSE(page.control->isEnabled());
}

TEST(AppCtrlCheck, ClickTellsTheLink) {
  OnePage<CAppCtrlCheck> page(new CAppCtrlCheck);
  page.control->setText("Actif");
  page.control->SetValue(0);
  EXPECT_TRUE(page.link.changes.empty());
  QTest::mouseClick(page.control, Qt::LeftButton, {}, QPoint(8, page.control->height() / 2));
  EXPECT_EQ(page.link.changes.size(), 1u);
  EXPECT_NE(page.control->GetValue(), 0u);
  CAppLnkWnd::SetReadOnly(page.control, 1);
  EXPECT_FALSE(page.control->isEnabled());
}

TEST(AppCtrlButton, ClickTellsTheLinkAndTextCanHide) {
  OnePage<CAppCtrlButton> page(new CAppCtrlButton, 13501);
  page.control->SetCaption("Défaut");
  page.control->SetShowText(0);
  EXPECT_TRUE(page.control->text().isEmpty());
  page.control->SetShowText(1);
  EXPECT_EQ(page.control->text(), "Défaut");
  QTest::mouseClick(page.control, Qt::LeftButton);
  EXPECT_EQ(page.link.changes, std::vector<unsigned>{13501});
  CAppLnkWnd::SetReadOnly(page.control, 1);
  QTest::mouseClick(page.control, Qt::LeftButton);
  EXPECT_EQ(page.link.changes.size(), 1u) << "a read-only button does nothing";
}

TEST(AppCtrlSlider, WideRangesAreHalvedUntilTheyFit) {
  OnePage<CAppCtrlSlider> page(new CAppCtrlSlider(10, 20));
  EXPECT_EQ(page.control->maximum(), 10);
  EXPECT_EQ(page.control->GetHalvings(), 0u);
  page.control->SetValue(15);
  EXPECT_EQ(page.control->GetValue(), 15u);
  page.control->SetValue(99);
  EXPECT_EQ(page.control->GetValue(), 20u) << "clamped to the limits";

  ASSERT_TRUE(page.control->SetLimit(0, 0xFFFFFFFFu, 0));
  EXPECT_EQ(page.control->GetHalvings(), 1u);
  EXPECT_EQ(page.control->maximum(), 0x7FFFFFFF);
  page.control->SetValue(0x80000001u);
  EXPECT_EQ(page.control->GetValue(), 0x80000000u) << "a position stands for two values";

  ASSERT_TRUE(page.control->SetLimit(static_cast<std::uint32_t>(-100), 100, 1));
  EXPECT_EQ(page.control->maximum(), 200);
  page.control->SetValue(static_cast<std::uint32_t>(-50));
  EXPECT_EQ(static_cast<std::int32_t>(page.control->GetValue()), -50);
  EXPECT_FALSE(page.control->SetLimit(5, 4, 0));
  EXPECT_FALSE(page.control->SetLimit(static_cast<std::uint32_t>(-1), 0, 0)) << "unsigned: 0xFFFFFFFF > 0";
  EXPECT_EQ(page.control->maximum(), 200) << "a refused limit changes nothing";

  EXPECT_TRUE(page.link.changes.empty());
  page.control->setFocus();
  QTest::keyClick(page.control, Qt::Key_Right);
  EXPECT_EQ(page.link.changes.size(), 1u) << "the user's step reaches OnUserChange";
  EXPECT_EQ(static_cast<std::int32_t>(page.control->GetValue()), -49);
}

TEST(AppCtrlStatic, ShowsTextWithUniformLineEnds) {
  OnePage<CAppCtrlStatic> page(new CAppCtrlStatic, 13515);
  page.control->SetValue("Ligne 1\nLigne 2");
  EXPECT_EQ(page.control->text(), "Ligne 1\nLigne 2");  // no CR shown
}

TEST(AppCtrlTree, NodesAreNamedByTheLinkAndReportSelectionAndProperties) {
  OnePage<CAppCtrlTree> page(new CAppCtrlTree, 13606);
  CAppParamNumeric first("Premier");
  first.SetKey("A");
  CAppParamNumeric second("Second");
  second.SetKey("B");
  QTreeWidgetItem* top = page.control->InsertItem(&first);
  QTreeWidgetItem* child = page.control->InsertItem(&second, top);
  EXPECT_EQ(top->text(0), "Node A");
  EXPECT_EQ(page.control->GetParam(child), &second);
  page.control->expandAll();
  page.control->SelectItem(child);
  EXPECT_EQ(page.control->GetOnChangeType(), CAppLnkWnd::OPERATION_SELECT);
  EXPECT_EQ(page.link.changes.size(), 1u);
  page.control->setFocus();
  QTest::keyClick(page.control, Qt::Key_Return);
  EXPECT_EQ(page.control->GetOnChangeType(), CAppLnkWnd::OPERATION_PROPERTIES);
  EXPECT_EQ(page.link.changes.size(), 2u);
  page.link.ModifyFlags(0, CAppLnkWnd::LNK_ACTIVATING);
  page.control->SelectItem(top);
  EXPECT_EQ(page.link.changes.size(), 2u) << "no selection report while activating";
  CAppLnkWnd::SetReadOnly(page.control, 1);
  EXPECT_FALSE(page.control->isEnabled());
}
