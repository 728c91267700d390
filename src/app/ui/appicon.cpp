#include "app/ui/appicon.h"

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {V4400_ICON_SIZES})
        icon.addFile(QStringLiteral(":/images/icons/hicolor/%1x%1/apps/v4400-tag-rf.png").arg(size),
                     QSize(size, size));
    return icon;
}
