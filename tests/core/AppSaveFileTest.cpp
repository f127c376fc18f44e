#include "core/AppSaveFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::size_t EntriesIn(const std::string& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

}  // namespace

// The link stays a link; the file it points to gets the bytes.
TEST(AppSaveFile, Links_TheFilePointedToIsReplaced) {
  TempFolder folder;
  fs::create_directory(folder.File("data"));
  WriteText(folder.File("data/real.xml"), "old");
  fs::create_symlink("data/real.xml", folder.File("link.xml"));
  fs::create_symlink("link.xml", folder.File("chain.xml"));
  fs::create_symlink("data/new.xml", folder.File("dangling.xml"));
  fs::create_symlink("loop.xml", folder.File("loop.xml"));

  AppSaveFile(folder.File("chain.xml"), "new");
  EXPECT_TRUE(fs::is_symlink(folder.File("link.xml")) && fs::is_symlink(folder.File("chain.xml")));
  EXPECT_EQ(TempFolder::ReadAll(folder.File("data/real.xml")), "new");
  AppSaveFile(folder.File("dangling.xml"), "made");
  EXPECT_EQ(TempFolder::ReadAll(folder.File("data/new.xml")), "made");
  EXPECT_TRUE(fs::is_symlink(folder.File("dangling.xml")));

  const CAppException e = CatchAppException([&] { AppSaveFile(folder.File("loop.xml"), "x"); });
  EXPECT_EQ(e.GetMessage(), "Exception >File not create : " + folder.File("loop.xml") + " (Too many levels of symbolic links)");
  EXPECT_EQ(e.GetPrgFile(), "AppSaveFile");
  EXPECT_EQ(EntriesIn(folder.File("data")), 2u);  // no temporary file left
}

// The mode is kept by every save (the binary save's tests); the owner only
// where the system permits: here, root saving a file of nobody's.
TEST(AppSaveFile, ModeAndOwner_AreKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may keep the owner of another user's file";
  TempFolder folder;
  const std::string file = folder.File("kept.bin");
  WriteText(file, "old");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
  AppSaveFile(file, "new");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(std::make_tuple(info.st_mode & 07777, info.st_uid, info.st_gid), std::make_tuple(0640u, kNobody, kNobody));
}

// As a user who is not root: a write-protected file, a folder where no
// temporary file can be made and something that is no regular file are
// refused, each leaving what was there.
TEST(AppSaveFile, Protection_RefusedWithTheFileNamed) {
  TempFolder folder;
  ::chmod(folder.File("").c_str(), 0777);
  const ChildReport report = RunInChild(
      [&] {
        const std::string protectedFile = folder.File("protected.bin");
        const std::string lockedFile = folder.File("locked/file.bin");
        WriteText(protectedFile, "old");
        ::chmod(protectedFile.c_str(), 0444);
        fs::create_directory(folder.File("locked"));
        WriteText(lockedFile, "old");
        ::chmod(folder.File("locked").c_str(), 0555);
        fs::create_directory(folder.File("folder.bin"));
        const struct {
          std::string file;
          std::string reason;
        } rows[] = {
            {protectedFile, "Permission denied"},
            {lockedFile, "no temporary file can be made in its folder: Permission denied"},
            {folder.File("folder.bin"), "not a regular file"},
        };
        std::string failures;
        for (const auto& row : rows) {
          failures += Expected(row.file, MessageOf([&] { AppSaveFile(row.file, "new"); }),
                               "Exception >File not create : " + row.file + " (" + row.reason + ")");
        }
        failures += Expected("protected content", TempFolder::ReadAll(protectedFile), "old");
        failures += Expected("locked content", TempFolder::ReadAll(lockedFile), "old");
        ::chmod(folder.File("locked").c_str(), 0755);
        return failures;
      },
      ChildUser::Unprivileged);
  if (report.skipped) GTEST_SKIP() << report.text;
  EXPECT_EQ(report.text, "");
}

// A disk that fills up halfway: the previous file stays, and no temporary
// file is left behind.
TEST(AppSaveFile, FullDisk_LeavesThePreviousFile) {
  TempFolder folder;
  const std::string file = folder.File("full.bin");
  WriteText(file, "old");
  const ChildReport report = RunInChild(
      [&] {
        return Expected("message", MessageOf([&] { AppSaveFile(file, std::string(10000, 'x')); }),
                        "Exception >File not written : " + file + " (File too large)");
      },
      ChildUser::Same, 4096);
  ASSERT_FALSE(report.skipped) << report.text;
  EXPECT_EQ(report.text, "");
  EXPECT_EQ(TempFolder::ReadAll(file), "old");
  EXPECT_EQ(EntriesIn(folder.File("")), 1u);
}
