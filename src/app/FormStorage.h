#pragma once
// Saves and restores a window's placement (state, normal geometry, focused
// control) in one section of the settings file, leaving every other line of
// the file as it was.
#include <QRect>
#include <QString>

class QWidget;

struct TFormPlacement {
    enum TState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };
    TState WindowState = wsMaximized;
    QRect NormalGeometry;  // empty: none stored
    QString ActiveControl; // object name of the focused control
};

class TFormStorage {
public:
    // Section "QuillbrookForm" of `settingsFile`.
    TFormStorage(QString settingsFile, QString section);

    const QString& SettingsFile() const { return FSettingsFile; }
    const QString& Section() const { return FSection; }

    // The stored placement, or none when the file or the section is missing.
    // Values of the wrong shape read as none stored.  Throws Exception naming
    // the file when it exists but cannot be read.
    bool Load(TFormPlacement& placement) const;
    // Rewrites only the section's keys, through a temporary file and rename.
    // Throws Exception naming the file when it cannot be read (then it is
    // left alone) or written.
    void Save(const TFormPlacement& placement) const;

    // Applies the stored placement to the window; maximised when nothing is
    // stored, and also when Load throws, which passes the error on.
    void RestorePlacement(QWidget& window) const;
    void SavePlacement(const QWidget& window) const;

private:
    QString FSettingsFile;
    QString FSection;
};
