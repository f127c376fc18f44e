// The combo box, check box, button, slider, static and tree controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <type_traits>

#include "ControlTestSupport.h"
#include "models/AppParamGroupModel.h"
#include "platform/AppWindowMessages.h"
#include "UiTestSupport.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlButton.h"
#include "appconfig/ui/AppCtrlCheck.h"
#include "appconfig/ui/AppCtrlCombo.h"
#include "appconfig/ui/AppCtrlSlider.h"
#include "appconfig/ui/AppCtrlStatic.h"
#include "appconfig/ui/AppCtrlTree.h"

namespace {

// A control on a page; `changes` counts its `signal`.
template <class Control>
struct OnePage {
  QWidget owner;
  Control* control;
  int changes = 0;

  explicit OnePage(Control* made, unsigned id = 13605) : control(made) { PlaceOnPage(MakePage(owner), control, id); }
  template <class Signal>
    requires std::is_member_function_pointer_v<Signal>
  OnePage(Control* made, Signal signal, unsigned id = 13605) : OnePage(made, id) {
    QObject::connect(control, signal, [this] { ++changes; });
  }
};

}  // namespace

TEST(AppCtrlCombo, CurrentItemWaitsForTheEndOfActivation) {
  OnePage<CAppCtrlCombo> page(new CAppCtrlCombo, &CAppCtrlCombo::Changed);
  for (unsigned i = 0; i < 3; ++i) EXPECT_EQ(page.control->AddItem(10 + i, "Item " + std::to_string(i)), int(i));
  EXPECT_EQ(page.control->GetValue(2), 12u);
  EXPECT_EQ(page.control->GetValue(3), 0u);
  EXPECT_FALSE(page.control->SetCurrentItem(3));
  SendAppMessage(page.control, AppWindowMessage::CtrlBeginActivate, 0, 0);
  EXPECT_TRUE(page.control->SetCurrentItem(2));
  EXPECT_EQ(page.control->currentIndex(), 0) << "only remembered while activating";
  SendAppMessage(page.control, AppWindowMessage::CtrlEndActivate, 0, 0);
  EXPECT_EQ(page.control->currentIndex(), 2);
  EXPECT_TRUE(page.control->updatesEnabled());
  // A remembered index past a shorter list falls back to the first item.
  page.control->removeItem(2);
  SendAppMessage(page.control, AppWindowMessage::CtrlEndActivate, 0, 0);
  EXPECT_EQ(page.control->currentIndex(), 0);
  EXPECT_EQ(page.changes, 0);
  page.control->setFocus();
  QTest::keyClick(page.control, Qt::Key_Down);
  EXPECT_EQ(page.changes, 1);
  EXPECT_EQ(page.control->GetCurrentItem(), 1);
  CAppLnkWnd::SetReadOnly(page.control, 1);
  EXPECT_FALSE(page.control->isEnabled());
}

TEST(AppCtrlCheck, ClickIsSignalled) {
  OnePage<CAppCtrlCheck> page(new CAppCtrlCheck, &CAppCtrlCheck::clicked);
  page.control->setText("Actif");
  page.control->SetValue(0);
  EXPECT_EQ(page.changes, 0);
  QTest::mouseClick(page.control, Qt::LeftButton, {}, QPoint(8, page.control->height() / 2));
  EXPECT_EQ(page.changes, 1);
  EXPECT_NE(page.control->GetValue(), 0u);
  CAppLnkWnd::SetReadOnly(page.control, 1);
  EXPECT_FALSE(page.control->isEnabled());
}

TEST(AppCtrlButton, ClickIsSignalledAndTextCanHide) {
  OnePage<CAppCtrlButton> page(new CAppCtrlButton, &CAppCtrlButton::clicked, 13501);
  page.control->SetCaption("Défaut");
  page.control->SetShowText(0);
  EXPECT_TRUE(page.control->text().isEmpty());
  page.control->SetShowText(1);
  EXPECT_EQ(page.control->text(), "Défaut");
  QTest::mouseClick(page.control, Qt::LeftButton);
  EXPECT_EQ(page.changes, 1);
  CAppLnkWnd::SetReadOnly(page.control, 1);
  QTest::mouseClick(page.control, Qt::LeftButton);
  EXPECT_EQ(page.changes, 1) << "a read-only button does nothing";
}

TEST(AppCtrlSlider, WideRangesAreHalvedUntilTheyFit) {
  OnePage<CAppCtrlSlider> page(new CAppCtrlSlider(10, 20), &CAppCtrlSlider::Changed);
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

  EXPECT_EQ(page.changes, 0);
  page.control->setFocus();
  QTest::keyClick(page.control, Qt::Key_Right);
  EXPECT_EQ(page.changes, 1) << "the user's step is signalled";
  EXPECT_EQ(static_cast<std::int32_t>(page.control->GetValue()), -49);
}

TEST(AppCtrlStatic, ShowsTextWithUniformLineEnds) {
  OnePage<CAppCtrlStatic> page(new CAppCtrlStatic, 13515);
  page.control->SetValue("Ligne 1\nLigne 2");
  EXPECT_EQ(page.control->text(), "Ligne 1\nLigne 2");  // no CR shown
}

// The tree shows a group's model, whose node names the link gives.
TEST(AppCtrlTree, NodesAreNamedByTheLinkAndReportSelectionAndProperties) {
  RecordingLink link;
  OnePage<CAppCtrlTree> page(new CAppCtrlTree, 13606);
  link.ConnectCtrl(13606, page.control);
  std::vector<int> kinds;
  QObject::connect(page.control, &CAppCtrlTree::Changed, [&](CAppLnkWnd::EN_OPERATION_TYPE kind) { kinds.push_back(kind); });
  CAppParamGroup first("Premier");
  first.SetKey("A");
  CAppParam* second = first.SetAt("B", new CAppParamNumeric("Second"));
  page.control->SetGroupModel(
      new CAppParamGroupModel(link, first, CAppParamGroupModel::MODE_TREE, nullptr, nullptr));
  const QModelIndex top = page.control->model()->index(0, 0);
  const QModelIndex child = page.control->model()->index(0, 0, top);
  EXPECT_EQ(top.data().toString(), "Node A");
  EXPECT_EQ(page.control->GetParam(child), second);
  EXPECT_TRUE(page.control->isExpanded(top)) << "a small tree shows open";
  page.control->SelectItem(child);
  EXPECT_EQ(page.control->GetOnChangeType(), CAppLnkWnd::OPERATION_SELECT);
  EXPECT_EQ(link.changes, std::vector<unsigned>{13606});
  page.control->setFocus();
  QTest::keyClick(page.control, Qt::Key_Return);
  EXPECT_EQ(page.control->GetOnChangeType(), CAppLnkWnd::OPERATION_PROPERTIES);
  EXPECT_EQ(link.changes.size(), 2u);
  EXPECT_EQ(kinds, (std::vector<int>{CAppLnkWnd::OPERATION_SELECT, CAppLnkWnd::OPERATION_PROPERTIES}));
  link.ModifyFlags(0, CAppLnkWnd::LNK_ACTIVATING);
  page.control->SelectItem(top);
  EXPECT_EQ(link.changes.size(), 2u) << "no selection report while activating";
  CAppLnkWnd::SetReadOnly(page.control, 1);
  EXPECT_FALSE(page.control->isEnabled());
}
