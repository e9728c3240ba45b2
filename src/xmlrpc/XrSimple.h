#pragma once
// Base of the scalar values.  Each scalar class has a static FromText that
// creates it from the text of its type element, as the response reader
// finds it; the reader chooses the class by the element's name.
#include "xmlrpc/XrValue.h"

class TXrSimple : public TXrValue {
protected:
    TXrSimple() = default;
};
