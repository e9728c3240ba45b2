#pragma once
// Errors of the value containers (not check errors, not faults).
#include "support/Exception.h"

// Item / StringItem / NameAt with an index outside 1..Count.
class EXrIndexError : public Exception {
public:
    using Exception::Exception;
};

// A value of another class than the one required (StringItem on a
// non-string, a fault element that is not a struct).
class EXrTypeError : public Exception {
public:
    using Exception::Exception;
};
