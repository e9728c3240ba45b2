#pragma once
#include "support/Exception.h"

// A scalar text that does not convert (integer, floating point, base64).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
