#include "platform/AppClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

void AppSetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}
