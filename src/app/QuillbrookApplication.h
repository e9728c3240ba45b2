#pragma once
// The application object: whatever escapes an event handler ends in
// ApplicationException's error box instead of unwinding through the event loop.
#include <QApplication>

class TQuillbrookApplication : public QApplication {
    Q_OBJECT
public:
    TQuillbrookApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Registers the pictures of the application's resource file; the application
// object and the main window call it, tests may too.
void InitQuillbrookResources();

// The application title shown in captions and boxes.
inline constexpr const char* QuillbrookTitle = "Quillbrook";
inline constexpr const char* QuillbrookVersion = "1.10";
