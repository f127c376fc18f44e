// The image list of the resources as Qt images: the library's 16x16 icons
// are in the Qt resource file under their resource numbers
// (":/appconfig/icons/13577.png"), icons of hosts come from their files.
#pragma once

#include <QIcon>

#include <vector>

struct CAppIcon;
class CAppResources;

QIcon AppIconImage(const CAppIcon& icon);
// The image at `index` of the resources' image list; a null icon when the
// index is out of range.
QIcon AppImageListIcon(const CAppResources& resources, unsigned index);
// The whole image list, for a list or tree control.
std::vector<QIcon> AppImageListIcons(const CAppResources& resources);
