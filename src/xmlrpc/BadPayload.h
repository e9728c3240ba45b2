#pragma once
#include "support/Exception.h"

// A document that breaks the XML-RPC grammar.  The message names the
// position: at line L and column C, tag "name": what was wrong.
class EBadPayload : public Exception {
public:
    using Exception::Exception;
};
