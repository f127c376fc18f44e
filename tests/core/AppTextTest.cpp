#include "appconfig/AppText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppParamEnumSingle.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppToolsBin.h"

namespace {

// Texts long enough to live outside any small-string buffer, so that one
// copy is one heap block of its own.
const std::string kHelp = "Vitesse de consigne du moteur, en tours par minute";
const std::string kName = "Consigne de vitesse du variateur principal";

// A group holding a numeric and an enumeration, every text of them set.
std::unique_ptr<CAppParamGroup> MakeTree(const std::string& suffix) {
  auto group = std::make_unique<CAppParamGroup>("Variateur " + suffix);
  group->SetKey("DRIVE" + suffix);
  auto* speed = new CAppParamNumeric(kName + suffix);
  speed->SetHelp(kHelp + suffix);
  speed->SetAlias("Speed" + suffix);
  speed->SetUnit("tours par minute" + suffix);
  group->SetAt("SPEED_SETPOINT" + suffix, speed);
  auto* mode = new CAppParamEnumSingle;
  mode->SetHelp(kHelp + suffix);
  mode->AddEntry(0, "Arret sur rampe de deceleration" + suffix);
  mode->AddEntry(1, "Marche avant a vitesse constante" + suffix);
  group->SetAt("MODE" + suffix, mode);
  return group;
}

const std::string& HelpOf(CAppParam* group, const std::string& key) {
  return group->GetGroup()->FindChild(key)->GetHelp();
}

}  // namespace

// A clone and an undo hold the source's texts, not copies of them: the same
// characters at the same address, and no new distinct text alive.
TEST(AppText, CloneAndUndoShareTheTextsOfTheirSource) {
  const std::unique_ptr<CAppParamGroup> source = MakeTree("");
  const std::size_t texts = CAppText::GetDistinctCount();
  const std::unique_ptr<CAppParam> clone = CAppStreamBin::CloneParam(source.get());
  EXPECT_EQ(CAppText::GetDistinctCount(), texts);
  EXPECT_EQ(HelpOf(clone.get(), "SPEED_SETPOINT").data(), HelpOf(source.get(), "SPEED_SETPOINT").data());
  EXPECT_EQ(HelpOf(clone.get(), "MODE").data(), HelpOf(source.get(), "SPEED_SETPOINT").data());
  EXPECT_EQ(clone->GetKey().data(), source->GetKey().data());

  // A snapshot read back after an edit gives the shared text again.
  const std::unique_ptr<CAppToolsBin::Stream> snapshot = CAppStreamBin::CreateUndo(clone.get());
  clone->GetGroup()->FindChild("SPEED_SETPOINT")->SetHelp("Aide modifiee");
  EXPECT_EQ(CAppText::GetDistinctCount(), texts + 1);
  CAppStreamBin::MakeUndo(snapshot.get(), clone.get());
  EXPECT_EQ(CAppText::GetDistinctCount(), texts);
  EXPECT_EQ(HelpOf(clone.get(), "SPEED_SETPOINT"), kHelp);
  EXPECT_EQ(HelpOf(clone.get(), "SPEED_SETPOINT").data(), HelpOf(source.get(), "SPEED_SETPOINT").data());

  // Changing a shared text changes that node only.
  source->GetGroup()->FindChild("MODE")->SetHelp("Autre aide");
  EXPECT_EQ(HelpOf(clone.get(), "MODE"), kHelp);
  EXPECT_EQ(HelpOf(source.get(), "SPEED_SETPOINT"), kHelp);
}

// Texts no tree holds any more are gone: trees with texts of their own,
// loaded and destroyed in turn, leave the table as it was.
TEST(AppText, TextsGoAwayWithTheTreesThatHoldThem) {
  const std::size_t before = CAppText::GetDistinctCount();
  for (int i = 0; i < 3; ++i) {
    const std::unique_ptr<CAppParamGroup> tree = MakeTree(std::to_string(i));
    const std::unique_ptr<CAppParam> clone = CAppStreamBin::CloneParam(tree.get());
    // Group name and key, numeric name, help, alias and unit, two entry
    // texts and two child keys.
    EXPECT_EQ(CAppText::GetDistinctCount(), before + 10) << i;
  }
  EXPECT_EQ(CAppText::GetDistinctCount(), before);
}
