#include "AppDumpMenu.h"

#include <QActionGroup>
#include <QMenu>

#include "appconfig/ui/AppCtrlEditDump.h"

namespace AppDump {
namespace {

using Dump = CAppCtrlEditDump;

struct Entry {
  unsigned command;
  const char* text;
};

constexpr Entry kBaseEntries[] = {
    {Dump::ID_BASE_BINARY, "Binaire"}, {Dump::ID_BASE_HEXA, "Hexadécimal"}, {Dump::ID_BASE_DECIMAL, "Décimal"}};
constexpr Entry kFormatEntries[] = {{Dump::ID_FORMAT_8, "8 bits"},
                                    {Dump::ID_FORMAT_16, "16 bits"},
                                    {Dump::ID_FORMAT_32, "32 bits"},
                                    {Dump::ID_FORMAT_ONE_BIT, "1 bit"},
                                    {Dump::ID_FORMAT_BIT_BY_BIT, "Bit à bit"}};
constexpr Entry kColumnEntries[] = {{Dump::ID_BPR_1, "1"},
                                    {Dump::ID_BPR_2, "2"},
                                    {Dump::ID_BPR_4, "4"},
                                    {Dump::ID_BPR_8, "8"},
                                    {Dump::ID_BPR_16, "16"}};
constexpr Entry kViewEntries[] = {{Dump::ID_VIEW_ADDRESS, "Adresse"},
                                  {Dump::ID_VIEW_DATA, "Données"},
                                  {Dump::ID_VIEW_ASCII, "Ascii"},
                                  {Dump::ID_VIEW_FOUR_EIGHT, "4/8"}};
constexpr unsigned kClipboardCommands[] = {Dump::ID_EDIT_UNDO,  Dump::ID_EDIT_CUT,   Dump::ID_EDIT_COPY,
                                           Dump::ID_EDIT_PASTE, Dump::ID_EDIT_CLEAR, Dump::ID_EDIT_SELECT_ALL};

}  // namespace

Menu::Menu(QWidget* owner, std::function<void(unsigned)> onCommand)
    : m_menu(new QMenu(owner)), m_onCommand(std::move(onCommand)) {
  Add(m_menu, Dump::ID_EDIT_UNDO, "Annuler", false);
  m_separatorUndo = m_menu->addSeparator();
  Add(m_menu, Dump::ID_EDIT_CUT, "Couper", false);
  Add(m_menu, Dump::ID_EDIT_COPY, "Copier", false);
  Add(m_menu, Dump::ID_EDIT_PASTE, "Coller", false);
  Add(m_menu, Dump::ID_EDIT_CLEAR, "Effacer", false);
  m_separatorClipboard = m_menu->addSeparator();
  Add(m_menu, Dump::ID_EDIT_SELECT_ALL, "Sélectionnez tout", false);
  m_separatorSelectAll = m_menu->addSeparator();

  auto addGroup = [this](QMenu* menu, const auto& entries) {
    auto* group = new QActionGroup(menu);
    for (const Entry& entry : entries) group->addAction(Add(menu, entry.command, entry.text, true));
  };
  m_base = m_menu->addMenu(QString::fromUtf8("Base"));
  addGroup(m_base, kBaseEntries);
  m_menu->addSeparator();
  addGroup(m_menu, std::initializer_list<Entry>{{Dump::ID_INTEL, "Intel"}, {Dump::ID_MOTOROLA, "Motorola"}});
  m_menu->addSeparator();
  addGroup(m_menu, std::initializer_list<Entry>{{Dump::ID_SIGNED, "Entier signé"},
                                                {Dump::ID_UNSIGNED, "Entier non signé"}});
  m_menu->addSeparator();
  m_format = m_menu->addMenu(QString::fromUtf8("Format"));
  addGroup(m_format, kFormatEntries);
  m_columns = m_menu->addMenu(QString::fromUtf8("Nb Colonnes"));
  addGroup(m_columns, kColumnEntries);
  m_menu->addSeparator();
  for (const Entry& entry : kViewEntries) Add(m_menu, entry.command, entry.text, true);
}

QAction* Menu::Add(QMenu* menu, unsigned command, const char* text, bool checkable) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setData(command);
  action->setCheckable(checkable);
  QObject::connect(action, &QAction::triggered, m_menu, [this, command] { m_onCommand(command); });
  m_actions[command] = action;
  return action;
}

QAction* Menu::Find(unsigned command) const {
  const auto found = m_actions.find(command);
  return found == m_actions.end() ? nullptr : found->second;
}

void Menu::Check(unsigned command) { SetChecked(command, true); }

void Menu::SetChecked(unsigned command, bool on) {
  if (QAction* action = Find(command)) action->setChecked(on);
}

void Menu::SetEnabled(unsigned command, bool on) {
  if (QAction* action = Find(command)) action->setEnabled(on);
}

void Menu::SetVisible(unsigned command, bool show) {
  if (QAction* action = Find(command)) action->setVisible(show);
  UpdateSubmenus();
}

void Menu::RemoveAllItems() {
  for (unsigned command = Dump::ID_BASE_BINARY; command <= Dump::ID_UNSIGNED; ++command)
    Find(command)->setVisible(false);
  m_separatorSelectAll->setVisible(false);
  m_submenusRemoved = true;
  UpdateSubmenus();
}

void Menu::RemoveClipboardItems() {
  for (const unsigned command : kClipboardCommands) Find(command)->setVisible(false);
  m_separatorUndo->setVisible(false);
  m_separatorClipboard->setVisible(false);
  m_separatorSelectAll->setVisible(false);
}

void Menu::UpdateSubmenus() {
  for (QMenu* submenu : {m_base, m_format, m_columns}) {
    bool any = false;
    for (const QAction* action : submenu->actions()) any = any || action->isVisible();
    submenu->menuAction()->setVisible(any && !m_submenusRemoved);
  }
}

}  // namespace AppDump
