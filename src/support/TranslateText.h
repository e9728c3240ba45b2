#pragma once
// Every caption, title and message shown passes through TranslateText before
// use (format strings before their values are filled in).  It returns its
// argument unchanged: the single point where a translation table would go.
#include <QString>
#include <string>

QString TranslateText(const QString& text);
std::string TranslateText(const std::string& text);
inline std::string TranslateText(const char* text) { return TranslateText(std::string(text)); }
