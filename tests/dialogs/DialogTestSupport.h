// Helpers of the dialog tests: act on the next modal dialog that opens.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "platform/OrvEvent.h"

namespace dlgtest {

// Runs act on the first modal dialog other than notThis that becomes
// active (polled from the event loop, so it works inside exec()).
inline void OnNextModal(std::function<void(QDialog*)> act, QWidget* notThis = nullptr)
{
    auto tries = std::make_shared<int>(0);
    auto timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act, notThis]() {
        QWidget* w = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog != notThis && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
            return;
        }
        if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// While it lives, a modal window that stays open longer than limitMs
// (nobody drove it, or a check inside the driver failed) is closed with
// the cancel result and the test fails, so no run hangs in a modal loop.
// A window the test shows itself (not through exec) is left alone as own.
class ModalGuard {
public:
    explicit ModalGuard(QWidget* own = nullptr, int limitMs = 4000) : own_(own)
    {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this, limitMs]() {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->isVisible() || w == own_) {
                seen_ = nullptr;
                return;
            }
            if (w != seen_) {
                seen_ = w;
                since_.start();
                return;
            }
            if (since_.elapsed() < limitMs) return;
            ADD_FAILURE() << "a modal window nobody closed: \"" << w->windowTitle().toStdString() << "\" ("
                          << w->metaObject()->className() << ")";
            seen_ = nullptr;
            if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->done(ZAF_DIALOG_CLOSE);
            else w->close();
        });
        timer_.start();
    }

private:
    QPointer<QWidget> own_;
    QTimer timer_;
    QPointer<QWidget> seen_;
    QElapsedTimer since_;
};

}  // namespace dlgtest
