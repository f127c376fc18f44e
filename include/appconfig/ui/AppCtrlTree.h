// A tree of parameters on a link page: each node holds a parameter, and
// its name and icon come from the link (OnUserGetNodeName,
// OnUserGetNodeIcon). Selecting a node (change kind 1) and the properties
// action (double click or Enter, change kind 0) are signalled (Changed).
#pragma once

#include <QIcon>
#include <QTreeWidget>

#include <vector>

#include "appconfig/ui/AppCtrlOperation.h"

class CAppLnkWnd;
class CAppParam;

class CAppCtrlTree : public QTreeWidget {
  Q_OBJECT

public:
  explicit CAppCtrlTree(QWidget* parent = nullptr);

  void SetLink(CAppLnkWnd* link) { m_pLink = link; }
  CAppLnkWnd* GetLink() const { return m_pLink; }
  unsigned GetCtrlId() const;

  // The images the link's icon numbers refer to.
  void SetImageList(const std::vector<QIcon>& images) { m_images = images; }
  // A node for `param` below `parent` (a top node when null), named and
  // drawn by the link.
  QTreeWidgetItem* InsertItem(CAppParam* param, QTreeWidgetItem* parent = nullptr);
  // Names and icons asked of the link again.
  void RefreshItem(QTreeWidgetItem* item);
  CAppParam* GetParam(const QTreeWidgetItem* item) const;
  QTreeWidgetItem* GetSelectedItem() const { return currentItem(); }
  void SelectItem(QTreeWidgetItem* item);
  void RemoveAll() { clear(); }
  // The deepest level the link shows (0: no limit).
  void SetMaxLevel(unsigned level) { m_nMaxLevel = level; }
  unsigned GetMaxLevel() const { return m_nMaxLevel; }
  // A node whose children are built when it is first expanded
  // (ChildrenWanted); it shows an expander meanwhile.
  void SetChildrenPending(QTreeWidgetItem* item, bool pending);
  bool IsChildrenPending(const QTreeWidgetItem* item) const;
  void SetOnChangeType(int type) { m_nChangeType = type; }
  int GetOnChangeType() const { return m_nChangeType; }

signals:
  // A user action, its kind also kept for GetOnChangeType.
  void Changed(AppCtrlOperation::EN_OPERATION_TYPE operation);
  // A node waiting for its children was expanded.
  void ChildrenWanted(QTreeWidgetItem* item);

protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void Notify(int changeType);

  CAppLnkWnd* m_pLink = nullptr;
  std::vector<QIcon> m_images;
  int m_nChangeType = 0;
  unsigned m_nMaxLevel = 0;
};
