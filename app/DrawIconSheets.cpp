// Build tool: draws the icon sheets the program carries (EmojiPictures.h)
// into the folder it is given, as emoji-1x.png, emoji-2x.png, ...
//   draw_icon_sheets FOLDER

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "CategoryIcons.h"

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_icon_sheets FOLDER\n");
        return 2;
    }
    // No display is needed to draw.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!QFontDatabase::families().contains(QStringLiteral("Noto Color Emoji"))) {
        std::fprintf(stderr, "draw_icon_sheets: the colour emoji font (Noto Color Emoji, Debian package "
                             "fonts-noto-color-emoji) is not installed\n");
        return 1;
    }
    for (const int ratio : pictures::kIconSheetRatios) {
        const QString file = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/emoji-%1x.png").arg(ratio);
        if (!pictures::DrawIconSheet(ratio).save(file, "PNG")) {
            std::fprintf(stderr, "draw_icon_sheets: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
