#include "Skin.h"

#include <QFile>

// The resources live in a static library: register them explicitly so the
// linker keeps them. (The macro must be used outside any namespace.)
static void InitResources() { Q_INIT_RESOURCE(app); }

namespace skin {

QColor InactiveTabText() { return QColor(0x24, 0x45, 0x6e); }
QColor SelectedNodeText() { return QColor(255, 0, 0); }
QColor SelectedNodeBack() { return QColor(128, 255, 255); }

QString StyleSheet()
{
    InitResources();
    QFile file(QStringLiteral(":/skin.ini"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString sheet = QString::fromUtf8(file.readAll());
    sheet.replace(QStringLiteral("@inactive-tab-text@"), InactiveTabText().name());
    return sheet;
}

} // namespace skin
