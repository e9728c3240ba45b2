#include "support/ui/MessageDialog.h"

#include "support/TranslateText.h"
#include "support/ui/ShortCutBuilder.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace {

// Captions of the ordinary message box, in MessageDialogButtonOrder.
const char* const StandardCaptions[] = {"OK",    "&Yes",        "&No",       "Cancel",
                                        "&Help", "&Abort",      "&Retry",    "&Ignore",
                                        "&All",  "Yes to &All", "N&o to All"};

const char* const PromptCaptions[] = {"Ok",    "Yes",    "No",  "Cancel",     "Help",     "Abort",
                                      "Retry", "Ignore", "All", "Yes to all", "No to all"};

QMessageBox::ButtonRole RoleOf(TMsgDlgBtn button) {
    switch (button) {
    case mbOK:
    case mbYes:
    case mbYesToAll:
    case mbAll:
        return QMessageBox::AcceptRole;
    case mbNo:
    case mbNoToAll:
        return QMessageBox::NoRole;
    case mbCancel:
    case mbAbort:
        return QMessageBox::RejectRole;
    case mbHelp:
        return QMessageBox::HelpRole;
    default:
        return QMessageBox::ActionRole;
    }
}

QMessageBox::Icon IconOf(TMsgDlgType kind) {
    switch (kind) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Texts of the system break lines with CR (or CR LF); Qt labels want LF.
QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

} // namespace

QStringList PromptButtonCaptions() {
    TShortCutBuilder builder;
    QStringList captions;
    for (const char* caption : PromptCaptions)
        captions << builder.AddShortCut(TranslateText(QString::fromLatin1(caption)));
    return captions;
}

TMessageDialog::TMessageDialog(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                               TMsgDlgBtn defaultButton, bool prompt, QWidget* parent)
    : QMessageBox(parent), FDefault(defaultButton), FPrompt(prompt) {
    setWindowTitle(DialogKindTitle(kind));
    setIcon(IconOf(kind));
    setTextFormat(Qt::PlainText); // "File <a.qbk> ..." is no markup
    setText(DisplayText(text));
    setWindowFlag(Qt::WindowStaysOnTopHint);

    if (buttons == mbNone)
        buttons = mbOK;
    const QStringList promptCaptions = prompt ? PromptButtonCaptions() : QStringList();
    int index = 0;
    for (TMsgDlgBtn which : MessageDialogButtonOrder) {
        if (buttons & which) {
            const QString caption =
                prompt ? promptCaptions[index]
                       : TranslateText(QString::fromLatin1(StandardCaptions[index]));
            QPushButton* button = addButton(caption, RoleOf(which));
            FButtons.emplace_back(which, button);
        }
        ++index;
    }
    if (!Button(FDefault))
        FDefault = FButtons.front().first;
    setDefaultButton(Button(FDefault));
    setEscapeButton(Button(buttons & mbCancel ? mbCancel : FDefault));
}

QPushButton* TMessageDialog::Button(TMsgDlgBtn which) const {
    for (const auto& [kind, button] : FButtons)
        if (kind == which)
            return button;
    return nullptr;
}

TMsgDlgBtn TMessageDialog::Result() const {
    const QAbstractButton* clicked = clickedButton();
    for (const auto& [kind, button] : FButtons)
        if (button == clicked)
            return kind;
    return Button(mbCancel) ? mbCancel : FDefault;
}

void TMessageDialog::showEvent(QShowEvent* event) {
    QMessageBox::showEvent(event);
    if (FPrompt) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    if (QPushButton* button = Button(FDefault))
        button->setFocus(Qt::OtherFocusReason);
}
