#include "views/OrvCategoryFilter.h"

#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvViewSupport.h"

OrvCategoryFilter::OrvCategoryFilter(QWidget* parent, OrvCalendarConfig* config) : QWidget(parent), config_(config)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    Rebuild();
}

OrvCalendarConfig* OrvCategoryFilter::Config() const
{
    return config_ ? config_ : OrvCalendarConfig::Get();
}

void OrvCategoryFilter::Rebuild()
{
    for (auto& [id, button] : buttons_) delete button;
    buttons_.clear();
    OrvCalendarConfig* config = Config();
    OrvEventCategoryList* categories = config ? config->GetEventCategoryList() : nullptr;
    for (int i = 0; categories && i < categories->Count(); ++i) {
        OrvEventCategoryElement* category = categories->Item(i);
        if (category->id == 1) continue;
        auto* button = new QToolButton(this);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        const char* name = category->textNumber ? OrvText(category->textNumber)
                                                : OrvCalendarConfig::CategoryName(category->id);
        button->setText(OrvQString(name));
        // The category's colour is the button's mark.
        const OrvCategoryRow* row = config->GetCategoryRow(category->id);
        QPixmap mark(12, 12);
        mark.fill(row && row->id != 0 && row->HasColour() ? QColor(row->red, row->green, row->blue)
                                                          : OrvFrameworkColour(7));
        button->setIcon(mark);
        button->setChecked(category->flag != 0);
        int id = category->id;
        connect(button, &QToolButton::toggled, this, [this, id](bool checked) { Toggled(id, checked); });
        layout()->addWidget(button);
        buttons_.emplace_back(id, button);
    }
}

QToolButton* OrvCategoryFilter::ButtonAt(int index) const
{
    return (index >= 0 && index < ButtonCount()) ? buttons_[index].second : nullptr;
}

QToolButton* OrvCategoryFilter::Button(int categoryID) const
{
    for (const auto& [id, button] : buttons_)
        if (id == categoryID) return button;
    return nullptr;
}

void OrvCategoryFilter::Toggled(int categoryID, bool shown)
{
    OrvCalendarConfig* config = Config();
    if (!config) return;
    OrvCategoryRow* row = config->GetCategoryRow(categoryID);
    // The closing row stands for unknown ids and must keep its mark.
    if (row && row->id != 0) row->shown = shown ? 1 : 0;
    QObject* target = target_ ? target_.data() : OrvEventParent(this);
    OrvSendEvent(target, OrvEvent(ORV_CMD_CATEGORY_FILTER));
}
