#include "support/ui/ShortCutBuilder.h"

namespace {
bool IsAsciiLetterOrDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}
} // namespace

bool TShortCutBuilder::IsTaken(QChar c) const {
    return FTaken.contains(c.toLower());
}

QString TShortCutBuilder::AddShortCut(const QString& caption) {
    const qsizetype amp = caption.indexOf(u'&');
    if (amp >= 0 && amp + 1 < caption.size() && !IsTaken(caption[amp + 1])) {
        FTaken.insert(caption[amp + 1].toLower());
        return caption;
    }
    QString plain = caption;
    plain.remove(u'&');
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (IsAsciiLetterOrDigit(plain[i]) && !IsTaken(plain[i])) {
            FTaken.insert(plain[i].toLower());
            plain.insert(i, u'&');
            return plain;
        }
    }
    return plain;
}
