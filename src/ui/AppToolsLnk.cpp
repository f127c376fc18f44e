#include "appconfig/ui/AppToolsLnk.h"

#include "appconfig/AppException.h"

// The nested class cannot go through APP_IMPLEMENT_RULE (its name is no
// single token); the same record by hand. Exchanges are made by the links,
// not by name, so the class is not registered.
CAppObject* CAppToolsLnk::RuleExchData::CreateObject() { return new RuleExchData; }
const CAppRuntimeClass CAppToolsLnk::RuleExchData::classRuleExchData = {
    "RuleExchData", static_cast<std::uint32_t>(sizeof(RuleExchData)),
    APP_RUNTIME_CLASS(CAppRule), &RuleExchData::CreateObject};
const CAppRuntimeClass* CAppToolsLnk::RuleExchData::GetRuntimeClass() const {
  return &classRuleExchData;
}
void CAppToolsLnk::RuleExchData::_ResourcesInit(CAppResources* /*resources*/) {}

CAppToolsLnk::View::View(QWidget* parent) : m_pParent(parent) { APP_CHECK_POINTER(parent); }

CAppToolsLnk::View::~View() {
  m_exchanges.clear();
  // A control its window destroyed already is gone from its QPointer.
  for (QPointer<QWidget>& control : m_controls) delete control.data();
}

void CAppToolsLnk::View::AddExchData(RuleExchData* exchange) {
  APP_CHECK_POINTER(exchange);
  m_exchanges.emplace_back(exchange);
}

void CAppToolsLnk::View::AddCtrlChild(QWidget* control) {
  APP_CHECK_POINTER(control);
  m_controls.emplace_back(control);
}

CAppToolsLnk::RuleExchData* CAppToolsLnk::View::GetExchDataAt(unsigned index) const {
  return index < m_exchanges.size() ? m_exchanges[index].get() : nullptr;
}

QWidget* CAppToolsLnk::View::GetCtrlChildAt(unsigned index) const {
  return index < m_controls.size() ? m_controls[index].data() : nullptr;
}
