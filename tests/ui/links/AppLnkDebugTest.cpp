// The debug window on a parameter of the bundled description, opened with
// Shift in debug mode, and the "Verify.txt" records of its verify page.
#include <QLineEdit>
#include <QPlainTextEdit>

#include <regex>

#include "GroupLinkFixture.h"
#include "appconfig/AppDebug.h"
#include "appconfig/AppKeyboard.h"
#include "appconfig/ui/AppLnkDebug.h"
#include "platform/AppKeyState.h"

namespace {

bool ShiftHeld(AppKey key) { return key == AppKey::LeftShift; }

class DebugWindow : public GroupLinks {
public:
  void SetUp() override {
    GroupLinks::SetUp();
    resources.ModifyFlags(0, PF_DEBUG);
    AppSetKeyStateProvider(ShiftHeld);
    savedPath = CAppDebug::GetLogger().GetPath();
    CAppDebug::GetLogger().SetPath(folder.Prefix());
  }
  void TearDown() override {
    AppSetKeyStateProvider(&AppQtKeyHeld);
    CAppDebug::GetLogger().SetPath(savedPath);
    GroupLinks::TearDown();
  }

  std::string VerifyFile() { return TempFolder::ReadAll(folder.File("Verify.txt")); }
  bool HasVerifyFile() { return std::filesystem::exists(folder.File("Verify.txt")); }

  // Opens the debug window of `param`, goes to the verify page, types the
  // texts given and closes it with OK.
  void Propose(CAppParam* param, const std::string* name, const std::string* help, const std::string& note) {
    OpenSheet(resources, param, [&](CAppSheet& sheet) {
      ASSERT_TRUE(sheet.SetActivePage(CAppLnkDebug::PAGE_VERIFY));
      CAppPage* page = sheet.GetAppPage(-1);
      auto* nameText = page->findChild<QLineEdit*>("nameText");
      auto* helpText = page->findChild<QPlainTextEdit*>("helpText");
      auto* noteText = page->findChild<QPlainTextEdit*>("noteText");
      ASSERT_TRUE(nameText != nullptr && helpText != nullptr && noteText != nullptr);
      EXPECT_EQ(nameText->text().toStdString(), param->GetName());
      EXPECT_EQ(helpText->toPlainText().toStdString(), param->GetHelp());
      if (name != nullptr) nameText->setText(QString::fromStdString(*name));
      if (help != nullptr) helpText->setPlainText(QString::fromStdString(*help));
      noteText->setPlainText(QString::fromStdString(note));
      SaveScreenshot(sheet, "verify");
      ClickOk(sheet);
    });
  }

  std::string savedPath;
};

std::string ListCell(CAppCtrlList* list, const std::string& name, int column) {
  for (int row = 0; row < list->GetCount(); ++row) {
    if (list->GetItemText(row, 0).toStdString() == name) return list->GetItemText(row, column).toStdString();
  }
  return "<none>";
}

}  // namespace

TEST_F(DebugWindow, ShowsTheParameterItsTreeAndTheResources) {
  CAppParam* cycle = Device("CYCLE");
  EXPECT_EQ(OpenSheet(resources, cycle, [&](CAppSheet& sheet) {
    EXPECT_EQ(sheet.IsReadOnly(), 1);
    QTabWidget* tabs = sheet.GetTabWidget();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "Debug List");
    EXPECT_EQ(tabs->tabText(1), "Debug Tree");
    EXPECT_EQ(tabs->tabText(2), "Resources");
    EXPECT_EQ(tabs->tabText(3), "Verify");

    auto* list = Item<CAppCtrlList>(sheet, CAppLnkDebug::ID_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ListCell(list, "ClassName", 1), "CAppParamNumeric");
    EXPECT_EQ(ListCell(list, "BaseClassName", 1), "CAppParamValue");
    EXPECT_EQ(ListCell(list, "Value", 1), "20");
    EXPECT_EQ(ListCell(list, "Value", 2), "0x14");
    EXPECT_EQ(ListCell(list, "Value", 3), CAppTools::BinaryToString(20));
    EXPECT_TRUE(std::regex_match(ListCell(list, "this", 1), std::regex("[0-9A-F]{8,16}")));
    SaveScreenshot(sheet, "list");

    ASSERT_TRUE(sheet.SetActivePage(1));
    auto* tree = Item<CAppCtrlTree>(sheet, CAppLnkDebug::ID_TREE);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->model()->index(0, 0).data().toString().toStdString(), "CYCLE (CAppParamNumeric) Cycle = 20");
    SaveScreenshot(sheet, "tree");

    ASSERT_TRUE(sheet.SetActivePage(2));
    tree = Item<CAppCtrlTree>(sheet, CAppLnkDebug::ID_TREE);
    ASSERT_NE(tree, nullptr);
    std::vector<std::string> texts;
    for (const auto& [node, depth] : Nodes(tree)) texts.push_back(node.data().toString().toStdString());
    auto has = [&](const std::string& text) { return std::find(texts.begin(), texts.end(), text) != texts.end(); };
    EXPECT_TRUE(has("ImageList"));
    EXPECT_TRUE(has("AliasList"));
    EXPECT_TRUE(has("LINK DEBUG (CAppLnkDebug)"));
    SaveScreenshot(sheet, "resources");
    ASSERT_TRUE(sheet.SetActivePage(CAppLnkDebug::PAGE_VERIFY));
    ClickOk(sheet);
  }), 2);
  EXPECT_FALSE(HasVerifyFile());  // the verify page left unchanged writes nothing
}

TEST_F(DebugWindow, ARowOfAGroupOpensItsOwnDebugWindow) {
  std::vector<std::string> titles;
  OpenSheet(resources, device.get(), [&](CAppSheet& sheet) {
    auto* list = Item<CAppCtrlList>(sheet, CAppLnkDebug::ID_LIST);
    ASSERT_NE(list, nullptr);
    list->SetCurrentItem(static_cast<unsigned>(RowOf(list, Device("STATION"))));
    WhenSheet([&](CAppSheet& rowSheet) {
      titles.push_back(rowSheet.windowTitle().toStdString());
      ClickOk(rowSheet);
    });
    list->OnProperties();
    ClickOk(sheet);
  });
  EXPECT_EQ(titles, (std::vector<std::string>{"Nom de station : CAppParamValue"}));
}

// Two proposals while the library stays loaded: the second is appended
// without a date line of its own; the help alone gives no name block.
TEST_F(DebugWindow, VerifyRecordsAppendTheProposalsReadyToPaste) {
  CAppParam* cycle = Device("CYCLE");
  CAppParam* station = Device("STATION");
  const std::string newName = "Période du cycle";
  const std::string newHelp = "Période de scrutation des entrées";
  Propose(cycle, &newName, nullptr, "à revoir");
  const std::string first = VerifyFile();
  Propose(station, nullptr, &newHelp, "");
  const std::string both = VerifyFile();
  ASSERT_EQ(both.compare(0, first.size(), first), 0) << "the second record is appended";

  const std::string cycleRecord =
      "------------------------------------\r\n"
      "Key :\"" + cycle->GetFullKey() + "\"\r\n"
      "Alias :\"Timeout\"\r\n"
      "Name :\"Cycle\"\r\n"
      ">>>>>> New Name Value : \r\n"
      "  <Property Name=\"Name\" Value=\"Période du cycle\" />\r\n"
      ">>>>>> Note :\"à revoir\"\r\n"
      "\r\n";
  const std::string stationRecord =
      "------------------------------------\r\n"
      "Key :\"" + station->GetFullKey() + "\"\r\n"
      "Alias :\"\"\r\n"
      "Name :\"Nom de station\"\r\n"
      "Help :\"" + station->GetHelp() + "\"\r\n"
      ">>>>>> New Help Value : \r\n"
      "  <Property Name=\"Help\" Value =\"Période de scrutation des entrées\" />\r\n"
      "\r\n";
  EXPECT_EQ(both.substr(first.size()), stationRecord);
  ASSERT_GE(first.size(), cycleRecord.size());
  EXPECT_EQ(first.substr(first.size() - cycleRecord.size()), cycleRecord);
  // Before the first record of the process, at most the date line.
  const std::string head = first.substr(0, first.size() - cycleRecord.size());
  EXPECT_TRUE(head.empty() || std::regex_match(head, std::regex("\\d{2}\\\\\\d{2} @ \\d{2}:\\d{1,2}\r\n")))
      << head;
}
