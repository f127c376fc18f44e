// The children of a parameter group as an item model, for the lists and the
// tree of the link pages.
//
// A list shows the children the link's filter accepts, one row each, in
// the columns of the multi-column rule (else name, value and unit). A tree
// shows the group as one top node; below a node come its children, a
// sub-group as a node of its own unless the maximum level cuts it; nodes
// get their children when first expanded. The flat tree puts every
// parameter below the group that is no group under one top node.
//
// Every index carries the node that holds its parameter as internal
// pointer. Texts are asked of the link when drawn, so a view shows the
// values as they are now; after a change that recreated children, Refill()
// resets the model so that no index outlives its parameter. A tree may also
// hold nodes of plain text (a debug window's notes), which stand for no
// parameter.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CAppLnkWnd;
class CAppParam;
class CAppParamGroup;
class CAppRuleFilter;
class CAppRuleMultiColumns;

class CAppParamGroupModel : public QAbstractItemModel {
  Q_OBJECT

public:
  enum EN_MODE { MODE_LIST, MODE_TREE, MODE_FLAT };

  // `rule` (list columns) and `link` stay the caller's; the model owns the
  // filter. A list or flat tree shows a group ("Bad pointer" for another
  // parameter); a tree's top node may be any parameter.
  CAppParamGroupModel(CAppLnkWnd& link, CAppParam& top, EN_MODE mode, CAppRuleMultiColumns* rule,
                      std::unique_ptr<CAppRuleFilter> filter, QObject* parent = nullptr);
  ~CAppParamGroupModel() override;

  CAppLnkWnd& GetLink() const { return m_link; }
  // The tree's deepest level (0: no limit); the flat top node's text and
  // parameter (the group when null). Set before the model is shown.
  void SetMaxLevel(unsigned level) { m_nMaxLevel = level; }
  void SetFlatTop(CAppParam* param, const std::string& text);
  void SetImages(const std::vector<QIcon>& images);

  // Reads the group anew: every index handed out before is invalid.
  void Refill();
  // The texts of the row of `index` changed.
  void RowChanged(const QModelIndex& index);

  // The parameter a list cell edits in place, null when the cell is not
  // editable: the row's parameter (or the link's custom one), in the
  // rule's column for it, else in the link's in-place column; not when the
  // link or the parameter is read-only, the edit rule says no or the class
  // has no in-place editor.
  CAppParam* EditedParam(const QModelIndex& index) const;

  // A text node below `parent` (its children fetched first); its index.
  QModelIndex AddTextNode(const QModelIndex& parent, const QString& text, const QIcon& icon = QIcon());

  // The parameter of an index of such a model; null for any other index.
  static CAppParam* ParamOf(const QModelIndex& index);
  // The index of a row or node built so far; invalid when there is none.
  QModelIndex IndexOf(const CAppParam* param, int column = 0) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
  struct Node {
    CAppParam* param = nullptr;  // null for a text node
    std::unique_ptr<std::pair<QString, QIcon>> text;
    Node* parent = nullptr;
    int row = 0;
    unsigned level = 0;
    bool fetched = false;
    std::vector<std::unique_ptr<Node>> children;
  };

  Node* NodeOf(const QModelIndex& index) const;
  static const Node* FindNode(const Node& below, const CAppParam* param);
  Node* AddChild(Node& parent, CAppParam* param);
  void Build();
  std::vector<CAppParam*> ShownChildren(const Node& node) const;
  void AddLeavesFlat(Node& node, CAppParamGroup& group);
  bool Shows(CAppParam* param) const;
  std::vector<std::string> RowTexts(CAppParam* param) const;
  QString NodeText(const Node& node) const;

  CAppLnkWnd& m_link;
  CAppParam& m_top;
  EN_MODE m_nMode;
  CAppRuleMultiColumns* m_pRule;
  std::unique_ptr<CAppRuleFilter> m_pFilter;
  unsigned m_nMaxLevel = 0;
  CAppParam* m_pFlatTop = nullptr;
  QString m_flatText;
  std::vector<QString> m_titles;
  std::vector<QIcon> m_images;
  // An invisible root: the rows of a list, the top node of a tree.
  Node m_root;
};
