#include "OrvAboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/OrvEvent.h"
#include "platform/qt/OrvLayoutStorage.h"

OrvAboutDialog::OrvAboutDialog(QWidget* parent) : QDialog(parent)
{
    // Title and size from the layout "Über OrvCalendar".
    QMap<QString, QString> layout;
    if (OrvLayoutStorage* storage = OrvLayoutStorage::Installed())
        layout = storage->Layout(QString::fromUtf8("Über ") + QStringLiteral("OrvCalendar"));
    setWindowTitle(layout.value(QStringLiteral("title"), QString::fromUtf8("Über OrvCalendar")));
    resize(layout.value(QStringLiteral("width"), QStringLiteral("320")).toInt(),
           layout.value(QStringLiteral("height"), QStringLiteral("150")).toInt());
    setModal(true);

    auto* layoutBox = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("OrvCalendar"), this);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    name->setObjectName(QStringLiteral("line1"));
    auto* version = new QLabel(QStringLiteral("Version ") + QLatin1String(ORV_PROGRAM_VERSION), this);
    version->setObjectName(QStringLiteral("line2"));
    for (QLabel* label : {name, version}) {
        label->setAlignment(Qt::AlignCenter);
        label->setTextFormat(Qt::PlainText);
        layoutBox->addWidget(label);
    }
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    layoutBox->addWidget(ok_, 0, Qt::AlignCenter);
    connect(ok_, &QPushButton::clicked, this, [this]() { done(ZAF_DIALOG_CLOSE); });
}

int OrvAboutDialog::Control() { return exec(); }

QStringList OrvAboutDialog::Lines() const
{
    QStringList lines;
    for (const char* name : {"line1", "line2"})
        if (auto* label = findChild<QLabel*>(QLatin1String(name))) lines << label->text();
    return lines;
}
