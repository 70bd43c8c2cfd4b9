// The lower area of the main window: register windows of which one is shown
// at a time, and beneath them the register bar with one tab per window and
// two arrows that scroll the tabs when they do not fit.
#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <vector>

#include "platform/OrvEvent.h"

class OrvLowerArea;
class OrvRegisterBar;
class QToolButton;

constexpr int ORV_CMD_CHOOSE_REGISTER = 10001;   // data: OrvRegisterWindow*

// A page of the lower area (request log, import table, person tables).
class OrvRegisterWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10018;
    explicit OrvRegisterWindow(const QString& title, bool selected = false, QWidget* parent = nullptr);
    QString Title() const { return title_; }
    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = selected; }

private:
    QString title_;
    bool selected_;
};

// One tab: a toggle button drawn as a trapezoid.
class OrvRegisterButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int classID = 5144;
    static constexpr int noColour = 254;

    OrvRegisterButton(const QString& caption, OrvRegisterWindow* window, QWidget* parent = nullptr);

    OrvRegisterWindow* Window() const { return window_; }
    int SlantWidth() const { return slant_; }
    // The caption's width as measured (measured on first use, again after
    // the caption changes).
    int TextWidth();
    // The framework colour set explicitly, or noColour.
    void SetColour(int colour);
    int Colour() const { return colour_; }
    // The colour the tab is filled with: the explicit one, else 15 when
    // pressed and 7 otherwise.
    int BackgroundColour() const;
    void SetTabShape(bool tabShape);
    bool TabShape() const { return tabShape_; }
    void SetCaption(const QString& caption);
    void SetImage(const QPixmap& image);

    // Width of the tab at a position of the bar.
    int TabWidth(bool first, bool last);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OrvRegisterWindow* window_;
    QPixmap image_;
    int slant_;
    int textWidth_ = 0;
    int colour_ = noColour;
    bool tabShape_ = true;
};

// The strip that holds the tabs.
class OrvRegisterArea : public QWidget {
    Q_OBJECT
public:
    explicit OrvRegisterArea(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class OrvRegisterBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 5187;
    explicit OrvRegisterBar(QWidget* parent = nullptr);

    // Puts a tab into the tab area (the bar takes it).
    void AddTab(OrvRegisterButton* tab);
    int TabCount() const { return static_cast<int>(tabs_.size()); }
    OrvRegisterButton* Tab(int index) const;
    OrvRegisterButton* TabOf(const OrvRegisterWindow* window) const;
    QToolButton* LeftArrow() const { return left_; }
    QToolButton* RightArrow() const { return right_; }
    OrvRegisterArea* Area() const { return area_; }
    // Index of the tab at the left edge of the area.
    int LeftTab() const { return leftTab_; }

    // Moves n tabs forward (positive) or back from the tab at the left edge,
    // stopping at the ends, and shifts the tabs so that it stands there.
    void Scroll(int n);
    // Places the tabs and updates the arrows.
    void LayoutTabs();
    // Redraws every tab.
    void RedrawTabs();

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateArrows();
    QToolButton* left_;
    QToolButton* right_;
    OrvRegisterArea* area_;
    std::vector<OrvRegisterButton*> tabs_;
    int leftTab_ = 0;
};

// The main window's lower area: the shown register window above the bar.
class OrvLowerArea : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    explicit OrvLowerArea(QWidget* parent = nullptr);
    ~OrvLowerArea() override;

    // Takes the window. A window marked selected is shown (the one shown
    // before is hidden); any other goes straight into the hidden list.
    void AddRegisterWindow(OrvRegisterWindow* window);

    OrvRegisterBar* Bar() const { return bar_; }
    // The register window shown, or null.
    OrvRegisterWindow* Shown() const { return shown_; }
    const std::vector<OrvRegisterWindow*>& Hidden() const { return hidden_; }

    // 10001: show the window the event carries.
    int Event(const OrvEvent& event) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void HideShown();
    void Show(OrvRegisterWindow* window);
    OrvRegisterBar* bar_;
    OrvRegisterWindow* shown_ = nullptr;
    std::vector<OrvRegisterWindow*> hidden_;
};
