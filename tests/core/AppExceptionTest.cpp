#include "appconfig/AppException.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppLog.h"

TEST(AppException, FormattingReplacesEscapedBlanksPrefixesAndLogs) {
  EXPECT_EQ(CAppException().GetMessage(), "Internal Error");
  const CAppException e("AppTest", 42, "Bad%20value%20%d", 7);
  EXPECT_EQ(e.GetMessage(), "Exception >Bad value 7");
  EXPECT_EQ(e.GetPrgLine(), 42u);
  EXPECT_EQ(e.GetPrgFile(), "AppTest");
  const auto& entries = CAppDebug::GetLogger().GetEntries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().text, "Exception >Bad value 7");
  EXPECT_EQ(entries.back().location, " @ line:0042 file:AppTest");
  const CAppException t = CatchAppException([] { AppThrowException("src/core/AppParamGroup.cpp", 12, "Bad pointer"); });
  EXPECT_EQ(t.GetPrgFile(), "AppParamGroup");
  EXPECT_EQ(t.GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(AppSourceFileName("C:\\src\\AppTools.cpp"), "AppTools");
}

TEST(AppLog, DisplayErrorMessageBuildsTheLineAndNeedsAnOutput) {
  CAppLog::SetPtr(nullptr);
  EXPECT_NO_THROW(CAppLog::DisplayErrorMessage("lost"));
  CapturedOutput out;
  CAppLog::DisplayErrorMessage("texte");
  CAppLog::SetFileName("device.xml");
  CAppLog::DisplayErrorMessage("texte");
  CAppLog::SetParentName("Module 3");
  CAppLog::DisplayResourceMessage(13688);
  EXPECT_EQ(out.lines, (std::vector<std::string>{
                           "Erreur: texte", "Erreur: Fichier device.xml. texte",
                           "Erreur: Fichier device.xml. Module 3. Essai de convertir une chaine vide en un mot 32 bits."}));
  EXPECT_EQ(out.params, (std::vector<unsigned long>{0, 0, 0}));
}
