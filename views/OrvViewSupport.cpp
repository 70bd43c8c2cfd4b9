#include "views/OrvViewSupport.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvQtEvent.h"

namespace {
OrvImageSource& Source()
{
    static OrvImageSource source;
    return source;
}
}  // namespace

void OrvSetViewImageSource(OrvImageSource source)
{
    Source() = std::move(source);
}

QPixmap OrvViewImage(const char* name)
{
    if (!name) return QPixmap();
    if (Source()) return Source()(name);
    return OrvBitmap(name);
}

QColor OrvFrameworkColour(int number)
{
    static const QColor classic[16] = {
        {0, 0, 0},       {0, 0, 128},     {0, 128, 0},   {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
        {128, 128, 0},   {192, 192, 192}, {128, 128, 128}, {0, 0, 255},  {0, 255, 0},   {0, 255, 255},
        {255, 0, 0},     {255, 0, 255},   {255, 255, 0}, {255, 255, 255},
    };
    if (number >= 0 && number < 16) return classic[number];
    if (number == 252) return QApplication::palette().color(QPalette::Button);
    return QApplication::palette().color(QPalette::Window);
}

QObject* OrvEventParent(const QWidget* widget)
{
    for (QWidget* p = widget ? widget->parentWidget() : nullptr; p; p = p->parentWidget())
        if (OrvHandlerOf(p)) return p;
    return nullptr;
}
