// Builds the contents of the layout storage: draws every bitmap the program
// asks for by name into a PNG file and writes the resource list that rcc
// turns into "OrvCalendar.znc".
//
//   orv_storagegen <output directory> <layout directory>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int Size = 16;

const QColor Ink(52, 66, 84);
const QColor Frame(96, 110, 128);
const QColor Panel(120, 160, 210);

void ArrowLeft(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawPolygon(QPolygonF({QPointF(10.5, 3), QPointF(4.5, 8), QPointF(10.5, 13)}));
}

void ArrowRight(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawPolygon(QPolygonF({QPointF(5.5, 3), QPointF(11.5, 8), QPointF(5.5, 13)}));
}

void Today(QPainter& p)
{
    p.setPen(QPen(Frame, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 11, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(204, 52, 45));
    p.drawRect(QRectF(3, 4, 10, 3));
    p.setBrush(Ink);
    p.drawEllipse(QRectF(6, 8.5, 4, 4));
}

void WindowFrame(QPainter& p)
{
    p.setPen(QPen(Frame, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
}

void LeftArea(QPainter& p)
{
    WindowFrame(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Panel);
    p.drawRect(QRectF(2, 3, 4.5, 10));
}

void BottomArea(QPainter& p)
{
    WindowFrame(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Panel);
    p.drawRect(QRectF(2, 9, 12, 4));
}

void StateDisc(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
}

void Stopped(QPainter& p)
{
    StateDisc(p, QColor(214, 56, 48));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 7, 6, 2));
}

void Published(QPainter& p)
{
    StateDisc(p, QColor(64, 160, 72));
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(5, 8), QPointF(7.2, 10.3), QPointF(11, 5.8)}));
}

void Waiting(QPainter& p)
{
    StateDisc(p, QColor(236, 170, 36));
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(8, 4.8));
    p.drawLine(QPointF(8, 8), QPointF(10.6, 9.4));
}

void Highlight(QPainter& p)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? 2.9 : 6.8;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        star << QPointF(8 + radius * std::cos(angle), 8.4 + radius * std::sin(angle));
    }
    p.setPen(QPen(QColor(190, 130, 0), 1));
    p.setBrush(QColor(255, 204, 0));
    p.drawPolygon(star);
}

void Folder(QPainter& p, bool open)
{
    const QColor back(222, 176, 70), front(246, 204, 98);
    p.setPen(QPen(back.darker(150), 1));
    p.setBrush(back);
    QPainterPath tab;
    tab.moveTo(1.5, 13.5);
    tab.lineTo(1.5, 3.5);
    tab.lineTo(6, 3.5);
    tab.lineTo(7.5, 5.5);
    tab.lineTo(13.5, 5.5);
    tab.lineTo(13.5, 13.5);
    tab.closeSubpath();
    p.drawPath(tab);
    p.setBrush(front);
    if (open)
        p.drawPolygon(QPolygonF({QPointF(1.5, 13.5), QPointF(4, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5)}));
    else
        p.drawRect(QRectF(1.5, 7, 12, 6.5));
}

void ItemBox(QPainter& p, bool plus)
{
    p.setPen(QPen(Frame, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
    p.setPen(QPen(Ink, 1.2));
    p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
    if (plus) p.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
}

struct Bitmap {
    const char* name;
    std::function<void(QPainter&)> draw;
};

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY LAYOUT-DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QDir layouts(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(QStringLiteral("bitmaps"))) {
        std::fprintf(stderr, "cannot create %s/bitmaps\n", argv[1]);
        return 1;
    }

    const Bitmap bitmaps[] = {
        {"ARROW_LEFT", ArrowLeft},
        {"ARROW_RIGHT", ArrowRight},
        {"TODAY", Today},
        {"LEFTAREA", LeftArea},
        {"BOTTOMAREA", BottomArea},
        {"PUBLISHSTATE_STOPPED", Stopped},
        {"PUBLISHSTATE_PUBLISHED", Published},
        {"PUBLISHSTATE_WAITING", Waiting},
        {"HIGHLIGHT", Highlight},
        {"DIROPEN", [](QPainter& p) { Folder(p, true); }},
        {"DIRCLOSE", [](QPainter& p) { Folder(p, false); }},
        {"ITEM_PLUS", [](QPainter& p) { ItemBox(p, true); }},
        {"ITEM_MINUS", [](QPainter& p) { ItemBox(p, false); }},
    };

    QFile qrc(out.filePath(QStringLiteral("OrvCalendar.qrc")));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write the resource list\n");
        return 1;
    }
    QTextStream list(&qrc);
    list.setEncoding(QStringConverter::Utf8);
    list << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/orvcalendar\">\n";

    // Every bitmap at its size and, drawn anew at twice the scale, as the
    // "@2x" version that high-density screens take, so it stays sharp.
    for (const Bitmap& bitmap : bitmaps) {
        for (int scale : {1, 2}) {
            QImage image(Size * scale, Size * scale, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            {
                QPainter painter(&image);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.scale(scale, scale);
                bitmap.draw(painter);
            }
            const QString name = QLatin1String(bitmap.name) + (scale == 2 ? QStringLiteral("@2x") : QString());
            const QString file = out.filePath(QStringLiteral("bitmaps/%1.png").arg(name));
            if (!image.save(file, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
            list << "  <file alias=\"bitmaps/" << name << ".png\">" << file << "</file>\n";
        }
    }

    // Layout files of the source tree, under their layout names.
    const struct {
        const char* file;
        const char* layoutName;
    } layoutFiles[] = {
        {"OrvCalendar.layout", "OrvCalendar"},
        {"About.layout", "Über OrvCalendar"},
    };
    for (const auto& layout : layoutFiles) {
        const QString source = layouts.absoluteFilePath(QLatin1String(layout.file));
        if (!QFile::exists(source)) {
            std::fprintf(stderr, "missing layout %s\n", qPrintable(source));
            return 1;
        }
        list << "  <file alias=\"layouts/" << QString::fromUtf8(layout.layoutName) << ".layout\">" << source
             << "</file>\n";
    }
    list << "</qresource>\n</RCC>\n";
    return 0;
}
