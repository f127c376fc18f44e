#include "platform/AppImageList.h"

#include "appconfig/AppResources.h"

QIcon AppIconImage(const CAppIcon& icon) {
  if (!icon.file.empty()) return QIcon(QString::fromStdString(icon.file));
  return QIcon(QString(":/appconfig/icons/%1.png").arg(icon.resourceId));
}

QIcon AppImageListIcon(const CAppResources& resources, unsigned index) {
  const auto& images = resources.GetImageList();
  if (index >= images.size()) return QIcon();
  return AppIconImage(images[index]);
}

std::vector<QIcon> AppImageListIcons(const CAppResources& resources) {
  std::vector<QIcon> icons;
  for (const CAppIcon& icon : resources.GetImageList()) icons.push_back(AppIconImage(icon));
  return icons;
}
