#pragma once
// The Qt message box behind ShowMessageBox and ShowPromptBox, built apart
// from showing it so that its captions and focus can be checked.
#include "support/ui/Dialogs.h"

#include <QMessageBox>

#include <memory>

// Buttons in the order a dialog lists them.
inline constexpr TMsgDlgBtn MessageDialogButtonOrder[] = {
    mbOK, mbYes, mbNo, mbCancel, mbHelp, mbAbort, mbRetry, mbIgnore, mbAll, mbYesToAll, mbNoToAll};

// Captions of the prompt box's buttons, with their accelerators, in the
// order of MessageDialogButtonOrder.
QStringList PromptButtonCaptions();

class TMessageDialog : public QMessageBox {
    Q_OBJECT
public:
    // `prompt`: centred on the screen, captions from PromptButtonCaptions().
    TMessageDialog(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                   TMsgDlgBtn defaultButton, bool prompt, QWidget* parent = nullptr);

    QPushButton* Button(TMsgDlgBtn which) const;
    // The button that closed the box: Cancel when offered and none was
    // pressed, else the default button.
    TMsgDlgBtn Result() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::vector<std::pair<TMsgDlgBtn, QPushButton*>> FButtons;
    TMsgDlgBtn FDefault;
    bool FPrompt;
};
