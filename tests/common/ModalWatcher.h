#pragma once
// Waits for a modal window to appear while the code under test runs its own
// event loop, hands it to `onShown`, and makes sure it is closed.
//
//   TModalWatcher watch([](QWidget* box) { ...inspect...; CloseModal(box); });
//   form.AboutBtn->click();            // returns once the box is closed
//   EXPECT_TRUE(watch.Seen());
//
// A window `onShown` leaves open is rejected after `timeoutMs` so a test never
// hangs; TimedOut() then answers true.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

class TModalWatcher : public QObject {
    Q_OBJECT
public:
    explicit TModalWatcher(std::function<void(QWidget*)> onShown, int timeoutMs = 5000);

    bool Seen() const { return FSeen; }
    bool TimedOut() const { return FTimedOut; }

private:
    void Poll();

    std::function<void(QWidget*)> FOnShown;
    QTimer FTimer;
    int FElapsed = 0;
    int FTimeout;
    bool FSeen = false;
    bool FTimedOut = false;
    QPointer<QWidget> FWindow;
};

// Closes a dialog with reject(), any other window with close().
void CloseModal(QWidget* window);
// Clicks the dialog's push button whose text, with "&" removed, is `caption`;
// false when there is none.
bool ClickButton(QWidget* window, const QString& caption);
