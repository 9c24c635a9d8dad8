// render-icons: writes both programs' icons, as their own code paints them,
// into an icon-theme folder for installation:
//
//   render-icons FOLDER SIZE...   writes FOLDER/SIZExSIZE/apps/{vendrel,pellbrook}.png
//
// An icon that has no picture of exactly a size asked for is an error, so
// that no installed icon is a scaled copy of a smaller one.

#include "pellbrook/pellbrook_art.h"
#include "vendrel/application_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>
#include <functional>

namespace {

struct ProgramIcon {
    const char* name;
    std::function<QIcon()> icon;
};

bool writeIcon(const ProgramIcon& program, int size, const QString& folder)
{
    const QString appsFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QString file = QStringLiteral("%1/%2.png").arg(appsFolder, QString::fromLatin1(program.name));
    const QPixmap pixmap = program.icon().pixmap(QSize(size, size), 1.0);
    if (pixmap.size() != QSize(size, size)) {
        std::fprintf(stderr, "render-icons: %s has no %d-pixel picture\n", program.name, size);
        return false;
    }
    if (!QDir().mkpath(appsFolder) || !pixmap.save(file, "PNG")) {
        std::fprintf(stderr, "render-icons: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        std::fputs("usage: render-icons FOLDER SIZE...\n", stderr);
        return 2;
    }
    const ProgramIcon programs[] = {{"vendrel", vendrelIcon}, {"pellbrook", pellbrook::applicationIcon}};
    for (const QString& sizeText : arguments.mid(1)) {
        bool isNumber = false;
        const int size = sizeText.toInt(&isNumber);
        if (!isNumber || size <= 0) {
            std::fprintf(stderr, "render-icons: %s is not a size in pixels\n", qPrintable(sizeText));
            return 2;
        }
        for (const ProgramIcon& program : programs)
            if (!writeIcon(program, size, arguments.front()))
                return 1;
    }
    return 0;
}
