#pragma once
// Gives the button captions of one dialog distinct keyboard accelerators.
#include <QSet>
#include <QString>

class TShortCutBuilder {
public:
    // The caption with its accelerator marked by "&".  A caption whose own
    // "&" letter is still free keeps it; otherwise every "&" is dropped and
    // the first free ASCII letter or digit is marked.  Without a free
    // character the caption comes back without "&" and nothing is taken.
    QString AddShortCut(const QString& caption);

    bool IsTaken(QChar c) const;

private:
    QSet<QChar> FTaken; // lower case
};
