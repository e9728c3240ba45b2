#include "app/ProgressWindow.h"

#include "support/TranslateText.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

TProgressWindow::TProgressWindow(const QString& text, QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(TranslateText(QStringLiteral("Quillbrook")));
    setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(this);
    FLabel = new QLabel(text, this);
    FBar = new QProgressBar(this);
    FBar->setRange(Minimum, Maximum);
    FBar->setValue(Minimum);
    FBar->setTextVisible(false); // a smooth bar, no percentage
    layout->addWidget(FLabel);
    layout->addWidget(FBar);
    setFixedWidth(320);
}

int TProgressWindow::Position() const {
    return FBar->value();
}

void TProgressWindow::SetPosition(int position) {
    FBar->setValue(position);
}

QString TProgressWindow::Text() const {
    return FLabel->text();
}

void TProgressWindow::Step() {
    const int position = Position();
    if (FDirectionUp) {
        if (position < Maximum)
            SetPosition(position + 1);
        else
            FDirectionUp = false;
    } else {
        if (position > Minimum)
            SetPosition(position - 1);
        else
            FDirectionUp = true;
    }
}

void ShowProgress(QWidget*& progressWindow, QTimer* progressTimer, QWidget* owner,
                  const QString& text) {
    HideProgress(progressWindow, progressTimer);
    auto* window = new TProgressWindow(text, owner);
    window->show();
    progressWindow = window;
    ProgressTimerTimer(progressWindow);
    if (progressTimer)
        progressTimer->start();
}

void ProgressTimerTimer(QWidget* progressWindow) {
    auto* window = qobject_cast<TProgressWindow*>(progressWindow);
    if (!window)
        return;
    window->Step();
    QCoreApplication::processEvents();
}

void HideProgress(QWidget*& progressWindow, QTimer* progressTimer) {
    auto* window = qobject_cast<TProgressWindow*>(progressWindow);
    if (!window)
        return;
    window->SetPosition(TProgressWindow::Maximum);
    // Let the full bar paint; a nested loop sleeps between events.
    QEventLoop wait;
    QTimer::singleShot(50, &wait, &QEventLoop::quit);
    wait.exec();
    if (progressTimer)
        progressTimer->stop();
    // The processed events may have run a handler that hid it already.
    if (progressWindow == window) {
        progressWindow = nullptr;
        delete window;
    }
}
