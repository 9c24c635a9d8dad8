// render-icons: writes both programs' icons, as their own code paints them,
// into the files a desktop installs or a Windows program carries:
//
//   render-icons FOLDER SIZE...              writes FOLDER/SIZExSIZE/apps/{vendrel,pellbrook}.png
//   render-icons --ico PROGRAM FILE SIZE...  writes one Windows icon file of PROGRAM with every size
//
// An icon that has no picture of exactly a size asked for is an error, so
// that no installed icon is a scaled copy of a smaller one.

#include "ico_file.h"
#include "pellbrook/pellbrook_art.h"
#include "vendrel/application_icon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QSaveFile>

#include <cstdio>
#include <functional>
#include <optional>

using namespace vendrel::gui; // the editor's classes

namespace {

struct ProgramIcon {
    const char* name;
    std::function<QIcon()> icon;
};

const ProgramIcon programs[] = {{"vendrel", vendrelIcon}, {"pellbrook", pellbrook::applicationIcon}};

const ProgramIcon* findProgram(const QString& name)
{
    for (const ProgramIcon& program : programs)
        if (name == QLatin1String(program.name))
            return &program;
    std::fprintf(stderr, "render-icons: no program is called %s\n", qPrintable(name));
    return nullptr;
}

std::optional<QList<int>> parseSizes(const QStringList& texts)
{
    QList<int> sizes;
    for (const QString& text : texts) {
        bool isNumber = false;
        const int size = text.toInt(&isNumber);
        if (!isNumber || size <= 0) {
            std::fprintf(stderr, "render-icons: %s is not a size in pixels\n", qPrintable(text));
            return std::nullopt;
        }
        sizes.append(size);
    }
    return sizes;
}

std::optional<QPixmap> picture(const ProgramIcon& program, int size)
{
    QPixmap pixmap = program.icon().pixmap(QSize(size, size), 1.0);
    if (pixmap.size() != QSize(size, size)) {
        std::fprintf(stderr, "render-icons: %s has no %d-pixel picture\n", program.name, size);
        return std::nullopt;
    }
    return pixmap;
}

bool writePng(const ProgramIcon& program, int size, const QString& folder)
{
    const QString appsFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QString file = QStringLiteral("%1/%2.png").arg(appsFolder, QString::fromLatin1(program.name));
    const std::optional<QPixmap> pixmap = picture(program, size);
    if (!pixmap)
        return false;
    if (!QDir().mkpath(appsFolder) || !pixmap->save(file, "PNG")) {
        std::fprintf(stderr, "render-icons: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

int writeThemeFolder(const QString& folder, const QList<int>& sizes)
{
    for (const int size : sizes)
        for (const ProgramIcon& program : programs)
            if (!writePng(program, size, folder))
                return 1;
    return 0;
}

int writeIcoFile(const ProgramIcon& program, const QString& path, const QList<int>& sizes)
{
    QList<QImage> images;
    for (const int size : sizes) {
        const std::optional<QPixmap> pixmap = picture(program, size);
        if (!pixmap)
            return 1;
        images.append(pixmap->toImage());
    }
    const QByteArray bytes = icoFileBytes(images);
    QSaveFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "render-icons: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

int usage()
{
    std::fputs("usage: render-icons FOLDER SIZE...\n"
               "       render-icons --ico PROGRAM FILE SIZE...\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments().mid(1);
    const bool ico = !arguments.isEmpty() && arguments.front() == QLatin1String("--ico");
    if (arguments.size() < (ico ? 4 : 2))
        return usage();
    const std::optional<QList<int>> sizes = parseSizes(arguments.mid(ico ? 3 : 1));
    if (!sizes)
        return 2;
    if (!ico)
        return writeThemeFolder(arguments.front(), *sizes);
    const ProgramIcon* program = findProgram(arguments[1]);
    return program ? writeIcoFile(*program, arguments[2], *sizes) : 2;
}
