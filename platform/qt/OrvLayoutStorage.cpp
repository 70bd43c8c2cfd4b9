#include "platform/qt/OrvLayoutStorage.h"

#include <QGuiApplication>
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

QString DoubleBitmapPath(const QString& name) { return BitmapPath(name + QStringLiteral("@2x")); }

// The screens' largest device pixel ratio.
qreal ScreenRatio() { return qApp ? qApp->devicePixelRatio() : 1.0; }
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
    // On a high-density screen the version drawn at twice the size, with
    // the same size in device-independent pixels.
    if (ScreenRatio() > 1.0 && QFile::exists(DoubleBitmapPath(name))) {
        QPixmap pixmap(DoubleBitmapPath(name), "PNG");
        pixmap.setDevicePixelRatio(2.0);
        return pixmap;
    }
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
        if (!entry.endsWith(QLatin1String("@2x.png"))) names.append(QFileInfo(entry).completeBaseName());
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
    OrvLayoutStorage* storage = OrvLayoutStorage::Installed();
    const QString bitmap = QString::fromLatin1(name ? name : "");
    if (!storage || !storage->HasBitmap(bitmap)) return QIcon();
    // Both sizes, so that every screen gets a sharp one.
    QIcon icon;
    icon.addFile(BitmapPath(bitmap));
    if (QFile::exists(DoubleBitmapPath(bitmap))) icon.addFile(DoubleBitmapPath(bitmap));
    return icon;
}
