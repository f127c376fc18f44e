// The user interface as the core sees it.
//
// The core library has no windows. A user interface library (AppConfig::ui)
// installs an implementation of this interface when the host starts it; the
// core's CAppResources::OnProperties and OnDebug and CAppTools::MessageBox
// hand their work to it. Without one they throw "No user interface is
// installed".
#pragma once

#include <string>

class CAppParam;
class CAppResources;
class CAppSheet;

// Message box styles and answers, numbered as the platform the descriptions
// were written for numbers them.
enum : unsigned {
  APP_MB_OK = 0x00,
  APP_MB_OKCANCEL = 0x01,
  APP_MB_YESNOCANCEL = 0x03,
  APP_MB_YESNO = 0x04,
  APP_MB_ICONSTOP = 0x10,
  APP_MB_ICONQUESTION = 0x20,
  APP_MB_ICONEXCLAMATION = 0x30,
  APP_MB_ICONINFORMATION = 0x40,
};
enum : int { APP_IDOK = 1, APP_IDCANCEL = 2, APP_IDYES = 6, APP_IDNO = 7 };

class CAppUserInterface {
public:
  virtual ~CAppUserInterface() = default;

  // The properties sheet and the debug sheet of a parameter (see
  // CAppResources); the dialog result.
  virtual int OnProperties(CAppResources& resources, CAppParam* param, CAppSheet* sheet) = 0;
  virtual int OnDebug(CAppResources& resources, CAppParam* param, CAppSheet* sheet) = 0;
  // A modal message box with the text; `style` is a set of APP_MB_ values,
  // the result one of the APP_ID answers.
  virtual int MessageBox(const std::string& text, unsigned style) = 0;
};

// Installs (or, with null, removes) the user interface; not owned.
void AppSetUserInterface(CAppUserInterface* ui);
// The installed user interface; throws "No user interface is installed"
// when there is none.
CAppUserInterface& AppGetUserInterface();
