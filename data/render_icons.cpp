// Renders the program's drawn icon into a hicolor theme tree: <out>/<n>x<n>/apps/<name>.png.
#include "resources/app_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_icons OUTPUT_FOLDER ICON_NAME\n");
        return 2;
    }
    // Painting needs no screen; the build machine may have none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !pelldrake::AppIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
