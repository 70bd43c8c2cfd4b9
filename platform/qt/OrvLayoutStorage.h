// The layout storage "OrvCalendar.znc": a Qt binary resource file with the
// bitmaps by name and the window layouts by layout name. Start-up opens it
// before any window exists; every window then takes its bitmaps from the
// installed storage.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QMap>
#include <QPixmap>
#include <QString>

class OrvLayoutStorage {
public:
    // Resource root of the storage's contents.
    static constexpr const char* Root = "/orvcalendar";

    OrvLayoutStorage() = default;
    ~OrvLayoutStorage();
    OrvLayoutStorage(const OrvLayoutStorage&) = delete;
    OrvLayoutStorage& operator=(const OrvLayoutStorage&) = delete;

    // Opens the file (read only; the layouts are not edited at run time).
    // False when it is missing or is no resource file of this program.
    bool Open(const QString& fileName);
    void Close();
    bool IsOpen() const { return open_; }
    const QString& FileName() const { return fileName_; }

    // A bitmap by name ("DIROPEN", "ARROW_LEFT"); a null pixmap when the
    // storage has none of that name.
    QPixmap Bitmap(const QString& name) const;
    bool HasBitmap(const QString& name) const;
    // Names of all bitmaps in the storage.
    QStringList BitmapNames() const;

    // A layout's values ("key=value" lines) by layout name ("OrvCalendar");
    // empty when the storage has no such layout.
    QMap<QString, QString> Layout(const QString& name) const;

    // The storage installed for the run (null before start-up installs one).
    static OrvLayoutStorage* Installed();
    static void Install(OrvLayoutStorage* storage);

private:
    QString fileName_;
    bool open_ = false;
};

// Bitmap by name from the installed storage; null pixmap without storage.
QPixmap OrvBitmap(const char* name);
QIcon OrvIcon(const char* name);
