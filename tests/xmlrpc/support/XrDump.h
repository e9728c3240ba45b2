#pragma once
// A compact one-line picture of a value tree, so that tests can compare whole
// trees in a table: s"text" i7 b1 d1.5 t147558/45296 x00ff [a,b] {n:v}
// fault(code,"text").
#include <string>

class TXrValue;

std::string XrDump(const TXrValue* value);
