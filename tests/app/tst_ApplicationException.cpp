// Errors thrown by event handlers end in the error box, and the program goes
// on.  Needs the application object itself, hence a program of its own.
#include "app/QuillbrookApplication.h"
#include "support/Exception.h"
#include "support/ui/ApplicationException.h"

#include "../common/ScriptedDialogs.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

class TestApplicationException : public QObject {
    Q_OBJECT
private slots:
    void ErrorFromHandlerShowsErrorBoxAndRunsOn_data();
    void ErrorFromHandlerShowsErrorBoxAndRunsOn();
};

void TestApplicationException::ErrorFromHandlerShowsErrorBoxAndRunsOn_data() {
    QTest::addColumn<bool>("guarded");
    QTest::addColumn<bool>("standard");
    QTest::newRow("handler unguarded, own error") << false << false;
    QTest::newRow("handler unguarded, standard error") << false << true;
    QTest::newRow("slot guarded") << true << false;
}

void TestApplicationException::ErrorFromHandlerShowsErrorBoxAndRunsOn() {
    QFETCH(bool, guarded);
    QFETCH(bool, standard);
    // The message passes unchanged, line breaks and Windows-1252 bytes included.
    const std::string message = "File <a.qbk> cannot be read.\r\n\r\nIn module x (\xE9t\xE9)";
    TScriptedDialogs dialogs;
    dialogs.ReportFailure = [](const std::string& text) {
        QTest::qFail(text.c_str(), __FILE__, __LINE__);
    };
    dialogs.ExpectError();

    auto fail = [&] {
        if (standard)
            throw std::runtime_error(message);
        throw Exception(message);
    };
    QPushButton button;
    if (guarded) {
        QObject::connect(&button, &QPushButton::clicked, qb::Guarded(fail));
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
    } else {
        // Straight from the event loop, with nothing on the way to catch it.
        // (Unwinding through the toolkit's own frames skips their clean-up,
        // which is why slots are connected through Guarded.)
        QTimer::singleShot(0, &button, fail);
    }

    QTRY_COMPARE(dialogs.Messages.size(), size_t(1));
    QCOMPARE(dialogs.Messages[0].Kind, TMsgDlgType::mtError);
    QCOMPARE(dialogs.Messages[0].Text, QString::fromUtf8("File <a.qbk> cannot be read.\r\n\r\n"
                                                         "In module x (\u00e9t\u00e9)"));
    // The event loop still runs.
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    QTRY_VERIFY(fired);
}

int main(int argc, char** argv) {
    TQuillbrookApplication app(argc, argv);
    TestApplicationException test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ApplicationException.moc"
