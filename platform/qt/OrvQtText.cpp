#include "platform/qt/OrvQtText.h"

#include "base/OrvText.h"

QString OrvQString(const char* windowText)
{
    if (!windowText) return QString();
    return QString::fromUtf8(OrvSingleByteToUTF8(windowText));
}

std::string OrvWindowText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return OrvUTF8ToSingleByte(utf8.constData());
}
