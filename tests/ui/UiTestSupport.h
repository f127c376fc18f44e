#pragma once

#include <QApplication>
#include <QString>

#include <functional>
#include <string>

class QAbstractButton;
class QWidget;
class CAppParam;
class CAppResources;

// The folder the screenshots go to (made by the build).
QString ScreenshotDir();

// Writes a PNG of the widget into the screenshot folder, named after the
// running test ("Suite_Test.png", or "Suite_Test_<suffix>.png"); returns the
// file's path.
QString SaveScreenshot(QWidget& widget, const QString& suffix = {});

// Runs `action` once the next modal loop runs (a zero-delay timer), after a
// screenshot of the modal window as it opened ("..._open.png"). When the
// action leaves the modal window open, the test fails and the window is
// closed as cancelled, so that a failing test cannot hang.
void WhenModal(std::function<void()> action);

// The modal window on top, as a T; null when there is none or it is no T.
template <class T>
T* ActiveModal() {
  return qobject_cast<T*>(QApplication::activeModalWidget());
}

// A left click in the middle of the button.
void Click(QAbstractButton* button);

// Makes the properties of parameters of `param`'s class open the recording
// test link ("Link Test Value"): the first link definition of its profile
// is renamed, or created. Returns that definition.
class CAppParamGroup;
CAppParamGroup* UseTestLink(CAppResources& resources, CAppParam* param);
