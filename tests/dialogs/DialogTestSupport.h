// Helpers of the dialog tests: act on the next modal dialog that opens.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

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

}  // namespace dlgtest
