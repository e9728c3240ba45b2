#include "app/QuillbrookApplication.h"

#include "support/ui/ApplicationException.h"

#include <QIcon>

// Outside any namespace, as the resource macro requires.
static void InitResourceFile() {
    Q_INIT_RESOURCE(Quillbrook);
}

void InitQuillbrookResources() {
    InitResourceFile();
}

TQuillbrookApplication::TQuillbrookApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(QuillbrookTitle));
    setApplicationVersion(QString::fromLatin1(QuillbrookVersion));
    InitQuillbrookResources();
    setWindowIcon(QIcon(QStringLiteral(":/quillbrook/images/quillbrook64.png")));
}

bool TQuillbrookApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // The error box runs a nested event loop; an error inside it must
        // not escape either.
        try {
            ApplicationException(std::current_exception());
        } catch (...) {
        }
        return true;
    }
}
