#include "support/TranslateText.h"

QString TranslateText(const QString& text) { return text; }
std::string TranslateText(const std::string& text) { return text; }
