// A tree of parameters on a link page, a view of the link's group model:
// each node holds a parameter, and its name and icon come from the link
// (OnUserGetNodeName, OnUserGetNodeIcon). Selecting a node (change kind 1)
// and the properties action (double click or Enter, change kind 0) are
// signalled (Changed).
#pragma once

#include <QIcon>
#include <QTreeView>

#include <vector>

#include "appconfig/ui/AppCtrlOperation.h"

class CAppParam;
class CAppParamGroupModel;

class CAppCtrlTree : public QTreeView {
  Q_OBJECT

public:
  explicit CAppCtrlTree(QWidget* parent = nullptr);
  ~CAppCtrlTree() override;

  unsigned GetCtrlId() const;

  // The images the link's icon numbers refer to.
  void SetImageList(const std::vector<QIcon>& images);
  // Shows `model` (the tree owns it from then on), the nodes of a small
  // tree all expanded.
  void SetGroupModel(CAppParamGroupModel* model);
  CAppParamGroupModel* GetGroupModel() const { return m_pModel; }
  // The node's parameter; null for an invalid index.
  CAppParam* GetParam(const QModelIndex& item) const;
  QModelIndex GetSelectedItem() const { return currentIndex(); }
  void SelectItem(const QModelIndex& item);
  // The node of a parameter shown so far; invalid when none.
  QModelIndex FindItem(const CAppParam* param) const;
  // Empties the tree: the model and every index go.
  void RemoveAll();
  // The deepest level the link shows (0: no limit).
  void SetMaxLevel(unsigned level) { m_nMaxLevel = level; }
  unsigned GetMaxLevel() const { return m_nMaxLevel; }
  // A node whose children come when it is first expanded.
  bool IsChildrenPending(const QModelIndex& item) const;
  void SetOnChangeType(int type) { m_nChangeType = type; }
  int GetOnChangeType() const { return m_nChangeType; }

signals:
  // A user action, its kind also kept for GetOnChangeType.
  void Changed(AppCtrlOperation::EN_OPERATION_TYPE operation);

protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
  void Notify(int changeType);
  void ExpandSmallTree();

  CAppParamGroupModel* m_pModel = nullptr;
  std::vector<QIcon> m_images;
  int m_nChangeType = 0;
  unsigned m_nMaxLevel = 0;
};
