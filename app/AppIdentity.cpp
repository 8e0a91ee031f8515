#include "AppIdentity.h"

#include <QApplication>

QString ApplicationId() { return QStringLiteral(PALLIDO_APP_ID); }

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

void ApplyApplicationIdentity()
{
    QGuiApplication::setDesktopFileName(ApplicationId());
    QApplication::setWindowIcon(ApplicationIcon());
}
