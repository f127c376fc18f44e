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
}

TEST(AppException, ThrowRoutineKeepsBareFileName) {
  const CAppException e = CatchAppException([] { AppThrowException("src/core/AppParamGroup.cpp", 12, "Bad pointer"); });
  EXPECT_EQ(e.GetPrgFile(), "AppParamGroup");
  EXPECT_EQ(e.GetMessage(), "Exception >Bad pointer");
  EXPECT_EQ(AppSourceFileName("C:\\src\\AppTools.cpp"), "AppTools");
}

TEST(AppLogger, CountsByTextAndLocation) {
  CAppDebug::Logger& log = CAppDebug::GetLogger();
  const std::size_t before = log.GetEntries().size();
  for (int i = 0; i < 3; ++i) {
    log.Info("dir\\AppCount.cpp", 10);
    log.Trace("count %d", 1);
  }
  log.Info("AppCount.cpp", 11);
  log.Trace("count %d", 1);
  log.Trace("count %d", 1);  // no location: it does not carry over
  const auto& entries = log.GetEntries();
  ASSERT_EQ(entries.size(), before + 3);
  EXPECT_EQ(entries[before].count, 3u);
  EXPECT_EQ(entries[before].location, " @ line:0010 file:AppCount.cpp");
  EXPECT_EQ(entries[before + 1].count, 1u);
  EXPECT_EQ(entries[before + 2].location, "");
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
  ASSERT_EQ(out.lines.size(), 3u);
  EXPECT_EQ(out.lines[0], "Erreur: texte");
  EXPECT_EQ(out.lines[1], "Erreur: Fichier device.xml. texte");
  EXPECT_EQ(out.lines[2], "Erreur: Fichier device.xml. Module 3. Essai de convertir une chaine vide en un mot 32 bits.");
  EXPECT_EQ(out.params, (std::vector<unsigned long>{0, 0, 0}));
}
