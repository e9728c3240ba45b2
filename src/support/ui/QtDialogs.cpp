#include "support/ui/QtDialogs.h"

#include "support/ui/MessageDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>

TMsgDlgBtn TQtDialogs::MessageBox(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                                  TMsgDlgBtn defaultButton, bool prompt) {
    TMessageDialog box(text, kind, buttons, defaultButton, prompt,
                       prompt ? nullptr : QApplication::activeWindow());
    box.exec();
    return box.Result();
}

bool TQtDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    bool ok = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                                 QLineEdit::Normal, value, &ok);
    if (ok)
        value = answer;
    return ok;
}

QStringList TQtDialogs::QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << parts[i] + " (" + patterns + ")";
    }
    return filters;
}

namespace {
QString RunFileDialog(const TFileDialogOptions& options, bool save) {
    QFileDialog dialog(QApplication::activeWindow(), options.Title, options.InitialDir);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !options.FileMustExist ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
    // Callers ask about existing files themselves.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!options.Filter.isEmpty())
        dialog.setNameFilters(TQtDialogs::QtNameFilters(options.Filter));
    if (!options.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(options.DefaultExt);
    if (!options.FileName.isEmpty())
        dialog.selectFile(options.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString TQtDialogs::OpenFileName(const TFileDialogOptions& options) {
    return RunFileDialog(options, false);
}

QString TQtDialogs::SaveFileName(const TFileDialogOptions& options) {
    return RunFileDialog(options, true);
}
