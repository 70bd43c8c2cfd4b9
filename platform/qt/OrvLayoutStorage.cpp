#include "platform/qt/OrvLayoutStorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <QTextStream>

namespace {
OrvLayoutStorage* installed = nullptr;

QString BitmapPath(const QString& name)
{
    return QStringLiteral(":%1/bitmaps/%2.png").arg(QLatin1String(OrvLayoutStorage::Root), name);
}
}  // namespace

OrvLayoutStorage::~OrvLayoutStorage()
{
    Close();
    if (installed == this) installed = nullptr;
}

bool OrvLayoutStorage::Open(const QString& fileName)
{
    Close();
    const QFileInfo info(fileName);
    if (!info.isFile()) return false;
    const QString path = info.absoluteFilePath();
    if (!QResource::registerResource(path)) return false;
    // A resource file of another program registers but lacks our root.
    if (!QDir(QStringLiteral(":%1").arg(QLatin1String(Root))).exists()) {
        QResource::unregisterResource(path);
        return false;
    }
    fileName_ = path;
    open_ = true;
    return true;
}

void OrvLayoutStorage::Close()
{
    if (open_) QResource::unregisterResource(fileName_);
    open_ = false;
    fileName_.clear();
}

QPixmap OrvLayoutStorage::Bitmap(const QString& name) const
{
    if (!open_ || name.isEmpty()) return QPixmap();
    return QPixmap(BitmapPath(name), "PNG");
}

bool OrvLayoutStorage::HasBitmap(const QString& name) const
{
    return open_ && !name.isEmpty() && QFile::exists(BitmapPath(name));
}

QStringList OrvLayoutStorage::BitmapNames() const
{
    if (!open_) return {};
    QStringList names;
    const QDir dir(QStringLiteral(":%1/bitmaps").arg(QLatin1String(Root)));
    for (const QString& entry : dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        names.append(QFileInfo(entry).completeBaseName());
    return names;
}

QMap<QString, QString> OrvLayoutStorage::Layout(const QString& name) const
{
    QMap<QString, QString> values;
    if (!open_) return values;
    QFile file(QStringLiteral(":%1/layouts/%2.layout").arg(QLatin1String(Root), name));
    if (!file.open(QIODevice::ReadOnly)) return values;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('#'))) continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) continue;
        values.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return values;
}

OrvLayoutStorage* OrvLayoutStorage::Installed() { return installed; }
void OrvLayoutStorage::Install(OrvLayoutStorage* storage) { installed = storage; }

QPixmap OrvBitmap(const char* name)
{
    OrvLayoutStorage* storage = OrvLayoutStorage::Installed();
    return storage ? storage->Bitmap(QString::fromLatin1(name)) : QPixmap();
}

QIcon OrvIcon(const char* name)
{
    const QPixmap pixmap = OrvBitmap(name);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}
