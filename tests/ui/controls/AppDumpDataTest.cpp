#include "AppDumpData.h"

#include <gtest/gtest.h>

#include <functional>

using AppDump::Data;
using Bytes = std::vector<std::uint8_t>;

namespace {

Data MakeData(const Bytes& bytes) {
  Data data;
  data.Assign(bytes.data(), bytes.size());
  return data;
}

}  // namespace

// Each kind of splice is undone exactly, and only once.
TEST(AppDumpData, UndoPutsBackTheLastEditOfEachKind) {
  const Bytes start = {1, 2, 3, 4, 5, 6};
  struct Edit {
    const char* name;
    std::size_t offset;
    std::size_t count;
    Bytes insert;
    Bytes after;
  };
  const Edit edits[] = {
      {"overwrite", 2, 2, {9, 9}, {1, 2, 9, 9, 5, 6}},
      {"insert", 2, 0, {0, 0}, {1, 2, 0, 0, 3, 4, 5, 6}},
      {"append", 6, 0, {7}, {1, 2, 3, 4, 5, 6, 7}},
      {"remove", 0, 4, {}, {5, 6}},
      {"grow", 4, 2, {8, 8, 8}, {1, 2, 3, 4, 8, 8, 8}},
      {"shrink", 1, 4, {8}, {1, 8, 6}},
      {"clipped", 5, 10, {}, {1, 2, 3, 4, 5}},
  };
  for (const Edit& edit : edits) {
    Data data = MakeData(start);
    data.Replace(edit.offset, edit.count, edit.insert);
    EXPECT_EQ(data.Bytes(), edit.after) << edit.name;
    ASSERT_TRUE(data.CanUndo()) << edit.name;
    data.Undo();
    EXPECT_EQ(data.Bytes(), start) << edit.name;
    EXPECT_FALSE(data.CanUndo()) << edit.name;
  }
  // One level: a second edit replaces the first's undo step.
  Data data = MakeData({1, 2, 3});
  data.Replace(0, 1, {7});
  data.Replace(1, 1, {8});
  data.Undo();
  EXPECT_EQ(data.Bytes(), (Bytes{7, 2, 3}));
  data.Undo();
  EXPECT_EQ(data.Bytes(), (Bytes{7, 2, 3}));
}

TEST(AppDumpData, LengthsCutPadAndDropTheUndoStep) {
  Data data;
  data.SetMaxLength(4);
  const Bytes six = {1, 2, 3, 4, 5, 6};
  data.Assign(six.data(), six.size());
  EXPECT_EQ(data.Bytes(), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(data.Room(), 0u);
  data.Replace(0, 1, {9});
  data.SetMaxLength(2);
  EXPECT_EQ(data.Bytes(), (Bytes{9, 2}));
  EXPECT_FALSE(data.CanUndo());

  data.SetMaxLength(10);
  data.SetMinLength(5);
  EXPECT_EQ(data.Bytes(), (Bytes{9, 2, 0, 0, 0}));
  EXPECT_EQ(data.Removable(), 0u);
  EXPECT_EQ(data.Room(), 5u);
  const Bytes one = {7};
  data.Assign(one.data(), one.size());
  EXPECT_EQ(data.Bytes(), (Bytes{7, 0, 0, 0, 0}));
  data.SetMinLength(-1);
  EXPECT_EQ(data.Removable(), 5u);
}
