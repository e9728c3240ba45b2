// Response documents as a hostile service could send them.  Whatever the
// bytes, ParseResponse either yields a value tree or raises one of the
// system's exceptions; a tree it yields survives being written and read again.
#include "FuzzCheck.h"
#include "support/Exception.h"
#include "xmlrpc/MethodCall.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrFault.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<TXrValue> value;
    try {
        value = ParseResponse(body);
    } catch (const Exception&) {
        return 0; // conversion and check errors are the parser's clear refusals
    }
    FUZZ_CHECK(value != nullptr);
    if (dynamic_cast<TXrFault*>(value.get()))
        return 0;
    // Written back, the tree must read as the same tree.
    const std::string first = value->ToXml();
    std::unique_ptr<TXrValue> again = ParseResponse(BuildResponse(*value));
    FUZZ_CHECK(again != nullptr && !dynamic_cast<TXrFault*>(again.get()));
    FUZZ_CHECK(again->ToXml() == first);
    return 0;
}
