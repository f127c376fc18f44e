#include "platform/AppHelp.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString AppHelpFilePath(const std::string& helpPath, const std::string& file) {
  QString path = QString::fromStdString(helpPath + "/" + file);
  path.replace('\\', '/');
  while (path.contains("//")) path.replace("//", "/");
  return path;
}

QString AppHelpPagePath(const QString& helpFile, unsigned long context) {
  return QDir(helpFile).filePath(QString::number(context) + ".html");
}

bool AppOpenHelpPage(const QString& page) {
  if (!QFileInfo(page).isFile()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}
