#pragma once
// The small window shown while a search runs: a text line and a bar that
// sweeps 0 .. 20 and back, one step per tick of the main window's
// ProgressTimer (100 ms), pausing one tick at each end: 4.2 s a cycle.
// There is no Cancel button.
#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

class TProgressWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int Minimum = 0;
    static constexpr int Maximum = 20;

    TProgressWindow(const QString& text, QWidget* owner);

    int Position() const;
    void SetPosition(int position);
    bool DirectionUp() const { return FDirectionUp; }
    QString Text() const;
    QProgressBar* Bar() const { return FBar; }

    // One animation step.
    void Step();

private:
    QLabel* FLabel;
    QProgressBar* FBar;
    bool FDirectionUp = true;
};

// The main window's operations on its ProgressWindow and ProgressTimer.
// `progressWindow` is the window's reference, set while the window exists.
void ShowProgress(QWidget*& progressWindow, QTimer* progressTimer, QWidget* owner,
                  const QString& text);
// The timer's handler: one step, then pending messages are processed.
void ProgressTimerTimer(QWidget* progressWindow);
// Fills the bar, lets it paint for 50 ms, stops the timer and frees the window.
// Does nothing without a window.
void HideProgress(QWidget*& progressWindow, QTimer* progressTimer);
