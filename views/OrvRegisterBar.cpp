#include "views/OrvRegisterBar.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "platform/qt/OrvQtEvent.h"
#include "views/OrvCalendarGrid.h"
#include "views/OrvViewSupport.h"

namespace {
// Both arrows are as wide as a vertical scroll bar and as high as a
// horizontal one; the tab strip is as high as a horizontal scroll bar.
int ScrollBarExtent(const QWidget* widget)
{
    return widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
}
}  // namespace

// ---------------------------------------------------------------------------

OrvRegisterWindow::OrvRegisterWindow(const QString& title, bool selected, QWidget* parent)
    : QWidget(parent), title_(title), selected_(selected)
{
    OrvSetClassID(this, classID);
}

// ---------------------------------------------------------------------------

OrvRegisterButton::OrvRegisterButton(const QString& caption, OrvRegisterWindow* window, QWidget* parent)
    : QAbstractButton(parent), window_(window)
{
    OrvSetClassID(this, classID);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setText(caption);
    slant_ = fontMetrics().height() / 2;
}

int OrvRegisterButton::TextWidth()
{
    if (textWidth_ == 0) {
        textWidth_ = fontMetrics().horizontalAdvance(text());
        if (!image_.isNull() && image_.width() > textWidth_) textWidth_ = image_.width() + 6;
    }
    return textWidth_;
}

void OrvRegisterButton::SetColour(int colour)
{
    colour_ = colour;
    update();
}

int OrvRegisterButton::BackgroundColour() const
{
    if (colour_ != noColour) return colour_;
    return isChecked() ? 15 : 7;
}

void OrvRegisterButton::SetTabShape(bool tabShape)
{
    tabShape_ = tabShape;
    update();
}

void OrvRegisterButton::SetCaption(const QString& caption)
{
    setText(caption);
    textWidth_ = 0;
    update();
}

void OrvRegisterButton::SetImage(const QPixmap& image)
{
    image_ = image;
    textWidth_ = 0;
    update();
}

int OrvRegisterButton::TabWidth(bool first, bool last)
{
    int w = TextWidth();
    if (first) w += slant_;
    if (last) w += slant_;
    if (tabShape_) w += slant_;
    return w;
}

void OrvRegisterButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = OrvFrameworkColour(BackgroundColour());
    QRectF r = QRectF(rect()).adjusted(0.5, 0, -0.5, -0.5);
    if (tabShape_) {
        // Slanted sides one slant width wide, the long side at the top
        // where the tab meets the window above.
        QPainterPath path;
        path.moveTo(r.left(), r.top());
        path.lineTo(r.right(), r.top());
        path.lineTo(r.right() - slant_, r.bottom());
        path.lineTo(r.left() + slant_, r.bottom());
        path.closeSubpath();
        painter.fillPath(path, fill);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawPath(path);
    } else {
        painter.fillRect(r, fill);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(r);
    }
    painter.setPen(Qt::black);
    if (!image_.isNull()) {
        painter.drawPixmap((width() - image_.width()) / 2, (height() - image_.height()) / 2, image_);
    } else {
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
}

// ---------------------------------------------------------------------------

OrvRegisterArea::OrvRegisterArea(QWidget* parent) : QWidget(parent) {}

void OrvRegisterArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), OrvFrameworkColour(252));
}

// ---------------------------------------------------------------------------

OrvRegisterBar::OrvRegisterBar(QWidget* parent) : QWidget(parent)
{
    OrvSetClassID(this, classID);
    auto makeArrow = [this](const char* image, Qt::ArrowType fallback, int step) {
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        QPixmap pixmap = OrvViewImage(image);
        if (pixmap.isNull()) button->setArrowType(fallback);
        else button->setIcon(pixmap);
        connect(button, &QToolButton::clicked, this, [this, step]() { Scroll(step); });
        return button;
    };
    left_ = makeArrow(ORV_IMAGE_ARROW_LEFT, Qt::LeftArrow, -1);
    right_ = makeArrow(ORV_IMAGE_ARROW_RIGHT, Qt::RightArrow, 1);
    area_ = new OrvRegisterArea(this);
    UpdateArrows();
}

QSize OrvRegisterBar::sizeHint() const
{
    int extent = ScrollBarExtent(this);
    return QSize(extent * 8, extent);
}

void OrvRegisterBar::AddTab(OrvRegisterButton* tab)
{
    tab->setParent(area_);
    tabs_.push_back(tab);
    tab->show();
    LayoutTabs();
}

OrvRegisterButton* OrvRegisterBar::Tab(int index) const
{
    return (index >= 0 && index < TabCount()) ? tabs_[index] : nullptr;
}

OrvRegisterButton* OrvRegisterBar::TabOf(const OrvRegisterWindow* window) const
{
    for (OrvRegisterButton* tab : tabs_)
        if (tab->Window() == window) return tab;
    return nullptr;
}

void OrvRegisterBar::resizeEvent(QResizeEvent*)
{
    int extent = ScrollBarExtent(this);
    left_->setGeometry(0, 0, extent, extent);
    right_->setGeometry(extent, 0, extent, extent);
    area_->setGeometry(2 * extent, 0, std::max(0, width() - 2 * extent), extent);
    LayoutTabs();
}

void OrvRegisterBar::LayoutTabs()
{
    int extent = ScrollBarExtent(this);
    int count = TabCount();
    leftTab_ = std::clamp(leftTab_, 0, std::max(0, count - 1));
    std::vector<int> x(count + 1, 0);
    std::vector<int> w(count, 0);
    for (int i = 0; i < count; ++i) {
        w[i] = tabs_[i]->TabWidth(i == 0, i == count - 1);
        x[i + 1] = x[i] + w[i];
    }
    int shift = count ? x[leftTab_] : 0;
    for (int i = 0; i < count; ++i) tabs_[i]->setGeometry(x[i] - shift, 0, w[i], extent);
    UpdateArrows();
}

void OrvRegisterBar::Scroll(int n)
{
    if (tabs_.empty()) return;
    leftTab_ = std::clamp(leftTab_ + n, 0, TabCount() - 1);
    LayoutTabs();
}

void OrvRegisterBar::UpdateArrows()
{
    left_->setEnabled(!tabs_.empty() && leftTab_ > 0);
    bool lastInside = tabs_.empty() || tabs_.back()->geometry().right() + 1 <= area_->width();
    right_->setEnabled(!lastInside);
}

void OrvRegisterBar::RedrawTabs()
{
    for (OrvRegisterButton* tab : tabs_) tab->update();
}

// ---------------------------------------------------------------------------

OrvLowerArea::OrvLowerArea(QWidget* parent) : QWidget(parent)
{
    bar_ = new OrvRegisterBar(this);
}

OrvLowerArea::~OrvLowerArea() = default;

void OrvLowerArea::HideShown()
{
    if (!shown_) return;
    OrvRegisterWindow* window = shown_;
    shown_ = nullptr;
    window->hide();
    window->SetSelected(false);
    if (OrvRegisterButton* tab = bar_->TabOf(window)) tab->setChecked(false);
    hidden_.push_back(window);
}

void OrvLowerArea::Show(OrvRegisterWindow* window)
{
    window->SetSelected(true);
    shown_ = window;
    resizeEvent(nullptr);
    window->show();
    if (OrvRegisterButton* tab = bar_->TabOf(window)) tab->setChecked(true);
}

void OrvLowerArea::AddRegisterWindow(OrvRegisterWindow* window)
{
    if (!window) return;
    // Hidden windows stay children of the area, so they still receive the
    // main window's broadcasts and go with the area.
    window->setParent(this);
    auto* tab = new OrvRegisterButton(window->Title(), window);
    bar_->AddTab(tab);
    // The tab only asks; the area decides (choosing the shown one again
    // must leave it pressed).
    connect(tab, &QAbstractButton::clicked, this, [this, window]() {
        OrvSendEvent(this, OrvEvent(ORV_CMD_CHOOSE_REGISTER, 0, window));
    });
    if (window->IsSelected()) {
        HideShown();
        Show(window);
    } else {
        window->hide();
        hidden_.push_back(window);
        tab->setChecked(false);
    }
}

int OrvLowerArea::Event(const OrvEvent& event)
{
    if (event.type != ORV_CMD_CHOOSE_REGISTER) return 0;
    auto* window = static_cast<OrvRegisterWindow*>(event.data);
    auto it = std::find(hidden_.begin(), hidden_.end(), window);
    if (it != hidden_.end()) {
        hidden_.erase(it);
        HideShown();
        Show(window);
    } else if (window && window == shown_) {
        // Already shown: nothing changes, but the click must not unpress it.
        if (OrvRegisterButton* tab = bar_->TabOf(window)) tab->setChecked(true);
    }
    bar_->RedrawTabs();
    return event.type;
}

void OrvLowerArea::resizeEvent(QResizeEvent*)
{
    int barHeight = bar_->sizeHint().height();
    bar_->setGeometry(0, height() - barHeight, width(), barHeight);
    if (shown_) shown_->setGeometry(0, 0, width(), std::max(0, height() - barHeight));
}
