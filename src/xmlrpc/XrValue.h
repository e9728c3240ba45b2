#pragma once
// Root of the XML-RPC value tree.  Containers own their elements; everything
// a reader hands out is borrowed from its container.  Texts are Windows-1252.
#include <string>

class TXrValue {
public:
    virtual ~TXrValue() = default;
    TXrValue(const TXrValue&) = delete;
    TXrValue& operator=(const TXrValue&) = delete;

    // The text that stands between <value> and </value>, without those tags.
    std::string ToXml() const {
        std::string out;
        AppendXml(out);
        return out;
    }
    // Appends the same text to a buffer; documents are built in one buffer.
    virtual void AppendXml(std::string& out) const = 0;

protected:
    TXrValue() = default;
};
