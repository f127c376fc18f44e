// The library's tree link shown in the editor's main window rather than in
// a property sheet: its page is a plain child widget, and the editor hears
// of selections and of properties opened from the tree.
#pragma once

#include <QModelIndex>

#include <string>

#include "appconfig/ui/AppLnkParamTree.h"

class CAppPage;
class CAppParam;
class CAppResources;

class QWidget;

class EditTreeLink : public CAppLnkParamTree {
public:
  class Host {
  public:
    virtual ~Host() = default;
    virtual void OnTreeSelect(CAppParam* param) = 0;
    // Around the properties of one parameter (Previous and Next walk on to
    // others, each with its own call pair).
    virtual void BeforeProperties() = 0;
    virtual void AfterProperties() = 0;
    // The properties walk is over: the tree's texts may be stale.
    virtual void OnPropertiesDone() = 0;
  };

  explicit EditTreeLink(Host& host) : m_host(host) {}

  // The page showing `root`, initialised and filled; owned by the caller
  // (delete it before the link).
  CAppPage* CreatePage(CAppParam* root, CAppResources& resources);
  // Fills the tree again from the parameters (their values may have changed).
  void Refill();

  // The node of the parameter at `path` below the root ("" the root),
  // building nodes that wait for their first expansion; null when none.
  QModelIndex FindItem(const std::string& path);
  // Selects that node; false when there is none.
  bool SelectPath(const std::string& path);
  // The properties of the selected node, as a double click opens them.
  void OpenSelectedProperties();

  unsigned AddView(unsigned templateId, const std::string& title) override;
  int OnUserChange(unsigned ctrlId) override;
  int OnProperties(CAppParam* param, CAppSheet* sheet) override;

private:
  Host& m_host;
  CAppPage* m_pPage = nullptr;
};
