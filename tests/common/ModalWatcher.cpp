#include "ModalWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QWidget>

TModalWatcher::TModalWatcher(std::function<void(QWidget*)> onShown, int timeoutMs)
    : FOnShown(std::move(onShown)), FTimeout(timeoutMs) {
    FTimer.setInterval(10);
    connect(&FTimer, &QTimer::timeout, this, &TModalWatcher::Poll);
    FTimer.start();
}

void TModalWatcher::Poll() {
    FElapsed += FTimer.interval();
    if (!FSeen) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (FElapsed > FTimeout)
                FTimer.stop();
            return;
        }
        FSeen = true;
        FWindow = modal;
        FElapsed = 0;
        FOnShown(modal);
        return;
    }
    // Still open long after it was handed over: close it so the test goes on.
    if (FWindow && FWindow->isVisible() && FElapsed > FTimeout) {
        FTimedOut = true;
        CloseModal(FWindow);
    }
    if (!FWindow || !FWindow->isVisible())
        FTimer.stop();
}

void CloseModal(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else if (window)
        window->close();
}

bool ClickButton(QWidget* window, const QString& caption) {
    if (!window)
        return false;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        QString text = button->text();
        text.remove(u'&');
        if (text == caption) {
            button->click();
            return true;
        }
    }
    return false;
}
