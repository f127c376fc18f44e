// The context menu of the hex dump editor: its commands by identifier, the
// submenus "Base", "Format" and "Nb Colonnes", one checked entry per group,
// and the removals the options word asks for. Removed commands are hidden, so
// that SetVisible can offer them again.
#pragma once

#include <functional>
#include <map>

class QAction;
class QMenu;
class QWidget;

namespace AppDump {

class Menu {
public:
  Menu(QWidget* owner, std::function<void(unsigned)> onCommand);

  QMenu* Get() const { return m_menu; }
  QAction* Find(unsigned command) const;

  // Checks one command; the others of its group are unchecked.
  void Check(unsigned command);
  void SetChecked(unsigned command, bool on);
  void SetEnabled(unsigned command, bool on);
  // Offers or withdraws one command; a submenu shows while it offers any.
  void SetVisible(unsigned command, bool show);
  void RemoveAllItems();
  void RemoveClipboardItems();

private:
  QAction* Add(QMenu* menu, unsigned command, const char* text, bool checkable);
  void UpdateSubmenus();

  QMenu* m_menu = nullptr;
  QMenu* m_base = nullptr;
  QMenu* m_format = nullptr;
  QMenu* m_columns = nullptr;
  QAction* m_separatorSelectAll = nullptr;
  bool m_submenusRemoved = false;
  std::map<unsigned, QAction*> m_actions;
  std::function<void(unsigned)> m_onCommand;
};

}  // namespace AppDump
