#pragma once
#include "xmlrpc/XrValue.h"

#include <memory>
#include <string>
#include <vector>

class TXrStruct;

class TXrArray : public TXrValue {
public:
    TXrArray() = default;

    int Count() const { return static_cast<int>(FItems.size()); }
    // 1-based; an index outside 1..Count raises EXrIndexError.
    TXrValue* Item(int index) const;
    // Takes ownership; a null value is refused with an Exception.
    void Add(std::unique_ptr<TXrValue> value);
    void AddString(std::string text);
    // Appends a new empty container and returns it (borrowed).
    TXrArray& AddArray();
    TXrStruct& AddStruct();
    // Value of a TXrString element; other elements raise EXrTypeError.
    const std::string& StringItem(int index) const;
    void Reserve(int count) { FItems.reserve(static_cast<size_t>(count)); }

    void AppendXml(std::string& out) const override;

private:
    std::vector<std::unique_ptr<TXrValue>> FItems;
};
