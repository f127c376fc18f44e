#include "appconfig/AppDebug.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "appconfig/AppTools.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  EXPECT_EQ(from, text.size()) << "text after the last line end";
  return lines;
}

std::string Tally(const std::string& text, unsigned count, const std::string& location) {
  return CAppTools::Format("%-75s ** count:%04u %s ", text.c_str(), count, location.c_str());
}

}  // namespace

TEST(AppDebugLogger, Trace_CountsByTextAndLocation) {
  TempFolder folder;
  const std::string longText(75, 'x');
  {
    CAppDebug::Logger log;
    log.SetPath(folder.Prefix());
    for (int i = 0; i < 3; ++i) {
      log.Info("C:\\src\\AppParam.cpp", 42);
      log.Trace("not supported %s", "GetVariant");
    }
    log.Info("/src/AppRecord.cpp", 7);
    log.Trace("not supported %s", "GetVariant");
    log.Trace("first");
    log.Info("AppTools.cpp", 1);
    log.Warning("second %d", 2);
    log.Trace("first");  // the location does not carry over
    log.Info("AppParam.cpp", 3);
    log.Trace("%s", longText.c_str());  // on its own line before the tally
  }
  const auto lines = Lines(TempFolder::ReadAll(folder.File("Log.txt")));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0].rfind("Start Logger ", 0), 0u);
  EXPECT_NE(lines[0].find(" ** count:0001  @ line:"), std::string::npos);
  const std::vector<std::string> middle(lines.begin() + 1, lines.end() - 1);
  EXPECT_EQ(middle, (std::vector<std::string>{Tally("not supported GetVariant", 3, " @ line:0042 file:AppParam.cpp"),
                                              Tally("not supported GetVariant", 1, " @ line:0007 file:AppRecord.cpp"),
                                              Tally("first", 2, ""),
                                              Tally("WARNING: second 2", 1, " @ line:0001 file:AppTools.cpp"),
                                              longText + " ", Tally("", 1, " @ line:0003 file:AppParam.cpp")}));
  EXPECT_EQ(lines[7].rfind("End Logger ", 0), 0u);
  EXPECT_NE(lines[7].find(" file:AppDebug.cpp "), std::string::npos);
}

TEST(AppDebugTime, DisplayResult_LineFormat) {
  TempFolder folder;
  CAppDebugTime timer;
  timer.SetPath(folder.Prefix());
  timer.End(timer.Begin(std::string(60, 'n').c_str(), 12));
  timer.End(timer.Begin("load", 7));
  ASSERT_TRUE(timer.DisplayResult());
  const auto lines = Lines(TempFolder::ReadAll(folder.File("Time.txt")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 59), std::string(49, 'n') + "  L  12 D:");  // cut to 49, padded to 50
  EXPECT_EQ(lines[1].substr(0, 59), CAppTools::Format("%-50s L   7 D:", "load"));
  // The duration is left-aligned in 10 columns, then " us".
  ASSERT_GE(lines[1].size(), 59u + 10u + 3u);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 3), " us");
}

// Without a folder set by the host or the user, no file is written at all,
// not even into the current folder.
TEST(AppDebugLogger, NoPath_WritesNoFile) {
  TempFolder folder;
  const ChildReport report = RunInChild(
      [&] {
        if (::chdir(folder.File("").c_str()) != 0) return std::string("no chdir\n");
        {
          CAppDebug::Logger log;
          log.Trace("a message");
          CAppDebugTime timer;
          timer.End(timer.Begin("step", 1));
        }
        return Expected("files", std::to_string(std::distance(std::filesystem::directory_iterator("."), {})), "0");
      },
      ChildUser::Same);
  EXPECT_EQ(report.text, "");
}

// A link named Log.txt in the folder does not make the logger write the
// file it points to; the tally keeps a bounded number of kinds and counts
// the rest.
TEST(AppDebugLogger, File_NeverThroughALinkAndBounded) {
  TempFolder folder;
  std::ofstream(folder.File("victim")) << "kept";
  std::filesystem::create_symlink(folder.File("victim"), folder.File("Log.txt"));
  {
    CAppDebug::Logger log;
    log.SetPath(folder.Prefix());
    for (std::size_t i = 0; i < CAppDebug::Logger::kMaxEntries + 500; ++i) log.Trace("kind %zu", i);
    EXPECT_EQ(std::make_tuple(log.GetEntries().size(), log.GetOthers()),
              std::make_tuple(CAppDebug::Logger::kMaxEntries, 501u));  // with "Start Logger"
    EXPECT_FALSE(log.WriteFile());
    std::filesystem::remove(folder.File("Log.txt"));
  }
  EXPECT_EQ(TempFolder::ReadAll(folder.File("victim")), "kept");
  const auto lines = Lines(TempFolder::ReadAll(folder.File("Log.txt")));
  ASSERT_EQ(lines.size(), CAppDebug::Logger::kMaxEntries + 2);
  EXPECT_EQ(lines[lines.size() - 2].rfind("End Logger ", 0), 0u);
  EXPECT_EQ(lines.back(), CAppTools::Format("%-75s ** count:%04u ", "Messages of other kinds, not kept", 501u));
}
