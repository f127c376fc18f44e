#include "AppDumpMenu.h"

#include <QActionGroup>
#include <QMenu>

#include "appconfig/ui/AppCtrlEditDump.h"
#include "controls/AppDumpOptions.h"

namespace AppDump {
Menu::Menu(QWidget* owner, std::function<void(unsigned)> onCommand)
    : m_menu(new QMenu(owner)), m_onCommand(std::move(onCommand)) {
  Add(m_menu, Dump::ID_EDIT_UNDO, "Annuler", false);
  m_menu->addSeparator();
  Add(m_menu, Dump::ID_EDIT_CUT, "Couper", false);
  Add(m_menu, Dump::ID_EDIT_COPY, "Copier", false);
  Add(m_menu, Dump::ID_EDIT_PASTE, "Coller", false);
  Add(m_menu, Dump::ID_EDIT_CLEAR, "Effacer", false);
  m_menu->addSeparator();
  Add(m_menu, Dump::ID_EDIT_SELECT_ALL, "Sélectionnez tout", false);
  m_separatorSelectAll = m_menu->addSeparator();

  // One checked choice per group; the view options are independent.
  auto addOptions = [this](QMenu* menu, OptionGroup group) {
    auto* choices = group == OptionGroup::View ? nullptr : new QActionGroup(menu);
    for (const Option& option : kOptions) {
      if (option.group != group || option.command == 0) continue;
      QAction* action = Add(menu, option.command, option.label, true);
      if (choices != nullptr) choices->addAction(action);
    }
    return choices;
  };
  m_base = m_menu->addMenu(QString::fromUtf8("Base"));
  addOptions(m_base, OptionGroup::Base);
  m_menu->addSeparator();
  addOptions(m_menu, OptionGroup::ByteOrder);
  m_menu->addSeparator();
  addOptions(m_menu, OptionGroup::Sign);
  m_menu->addSeparator();
  m_format = m_menu->addMenu(QString::fromUtf8("Format"));
  QActionGroup* formats = addOptions(m_format, OptionGroup::Bits);
  // The format choices beyond the options word.
  formats->addAction(Add(m_format, Dump::ID_FORMAT_ONE_BIT, "1 bit", true));
  formats->addAction(Add(m_format, Dump::ID_FORMAT_BIT_BY_BIT, "Bit à bit", true));
  m_columns = m_menu->addMenu(QString::fromUtf8("Nb Colonnes"));
  addOptions(m_columns, OptionGroup::Columns);
  m_menu->addSeparator();
  addOptions(m_menu, OptionGroup::View);
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
  // They open the menu, down to the separator after "select all".
  for (QAction* action : m_menu->actions()) {
    action->setVisible(false);
    if (action == m_separatorSelectAll) break;
  }
}

void Menu::UpdateSubmenus() {
  for (QMenu* submenu : {m_base, m_format, m_columns}) {
    bool any = false;
    for (const QAction* action : submenu->actions()) any = any || action->isVisible();
    submenu->menuAction()->setVisible(any && !m_submenusRemoved);
  }
}

}  // namespace AppDump
