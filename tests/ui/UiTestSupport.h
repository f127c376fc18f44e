#pragma once

#include <QString>

class QWidget;

// The folder the screenshots go to (made by the build).
QString ScreenshotDir();

// Writes a PNG of the widget into the screenshot folder, named after the
// running test ("Suite_Test.png", or "Suite_Test_<suffix>.png"); returns the
// file's path. The widget is laid out first so that the picture shows what a
// user would see.
QString SaveScreenshot(QWidget& widget, const QString& suffix = {});
