// The pieces a link window is made of: its views (one per page or dialog)
// and the exchange objects that copy values between controls and
// parameters.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

#include "appconfig/AppRuleInterface.h"

class CAppToolsLnk {
public:
  CAppToolsLnk() = delete;

  // Copies one value between one control and one parameter. The base class
  // accepts everything and copies nothing.
  class RuleExchData : public CAppRule {
    APP_DECLARE_RULE(RuleExchData)

  public:
    // Shows the parameter in the control; TRUE when done.
    virtual int ParamToCtrl() { return 1; }
    // Stores what the control holds into the parameter; TRUE when done.
    virtual int CtrlToParam() { return 1; }
    // The parameter the exchange works on (not owned).
    virtual void SetParam(CAppParam* /*param*/) {}
  };

  // The exchanges of each kind of control (AppToolsLnkExch.h).
  class CheckExchEnumSingle;
  class ComboExchNumeric;
  class ComboExchEnumSingle;
  class ComboExchUniqueNum;
  class DumpExchArray;
  class DumpExchMail;
  class DumpExchStruct;
  class ListExchGroup;

  // One window of a link (a page or a dialog): the window whose dialog items
  // the controls replace, and the controls and exchanges registered with it,
  // in registration order. The view owns both: destroying it deletes the
  // exchanges and the controls (those its window has not destroyed yet).
  class View {
  public:
    // A null window throws "Bad pointer".
    explicit View(QWidget* parent);
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    QWidget* GetCtrlParent() const { return m_pParent; }
    // Both refuse null with "Bad pointer"; the view takes ownership.
    void AddExchData(RuleExchData* exchange);
    void AddCtrlChild(QWidget* control);
    unsigned GetExchDataCount() const { return static_cast<unsigned>(m_exchanges.size()); }
    // Null when the index is out of range.
    RuleExchData* GetExchDataAt(unsigned index) const;
    unsigned GetCtrlChildCount() const { return static_cast<unsigned>(m_controls.size()); }
    // Null when the index is out of range or the control is gone.
    QWidget* GetCtrlChildAt(unsigned index) const;

  private:
    QPointer<QWidget> m_pParent;
    std::vector<std::unique_ptr<RuleExchData>> m_exchanges;
    std::vector<QPointer<QWidget>> m_controls;
  };
};
