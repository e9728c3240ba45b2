#include "app/ConsoleDialogs.h"

TMsgDlgBtn TConsoleDialogs::MessageBox(const QString& text, TMsgDlgType /*kind*/,
                                       TMsgDlgButtons buttons, TMsgDlgBtn defaultButton,
                                       bool /*prompt*/) {
    ++FMessageCount;
    const QByteArray bytes = TerminalText(text).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), FStream);
    std::fflush(FStream);
    // Nobody answers: as a box closed without a button.
    if (buttons & mbCancel)
        return mbCancel;
    return defaultButton;
}

bool TConsoleDialogs::InputQuery(const QString&, const QString&, QString&) {
    return false;
}

QString TConsoleDialogs::OpenFileName(const TFileDialogOptions&) {
    return {};
}

QString TConsoleDialogs::SaveFileName(const TFileDialogOptions&) {
    return {};
}

QString TConsoleDialogs::TerminalText(const QString& text) {
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(u'\r', u'\n');
    if (!lines.endsWith(u'\n'))
        lines += u'\n';
    return lines;
}
