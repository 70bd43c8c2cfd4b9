// Small services shared by the calendar views: images by name, the
// framework's numbered colours, where a view's commands go.
#pragma once

#include <QColor>
#include <QPixmap>
#include <functional>

#include "platform/OrvEvent.h"
#include "views/OrvCalendarGrid.h"

class QObject;
class QWidget;

// Images by name ("ARROW_LEFT", "HIGHLIGHT", ...). The views ask the
// installed source; without one they take the bitmaps of the installed
// layout storage.
using OrvImageSource = std::function<QPixmap(const char* name)>;
void OrvSetViewImageSource(OrvImageSource source);
QPixmap OrvViewImage(const char* name);

// Colours of the framework by number: 0 to 15 the sixteen classic colours
// (7 light grey, 15 white), 252 the face colour of windows. Any other
// number gives the window colour of the current palette.
QColor OrvFrameworkColour(int number);
inline QColor OrvQColor(const OrvRgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// Nearest ancestor of widget (not widget itself) that takes the system's
// events; null when there is none.
QObject* OrvEventParent(const QWidget* widget);
