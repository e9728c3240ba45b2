#include "xmlrpc/XrArray.h"

#include "support/Require.h"
#include "xmlrpc/XrErrors.h"
#include "xmlrpc/XrString.h"
#include "xmlrpc/XrStruct.h"

namespace {

void CheckIndex(int index, int count) {
    if (index < 1 || index > count)
        throw EXrIndexError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

TXrValue* TXrArray::Item(int index) const {
    CheckIndex(index, Count());
    return FItems[static_cast<size_t>(index - 1)].get();
}

void TXrArray::Add(std::unique_ptr<TXrValue> value) {
    Require(value != nullptr, "Cannot add a missing value to an array.");
    if (FItems.empty())
        FItems.reserve(8); // skips the first doublings of every small array
    FItems.push_back(std::move(value));
}

void TXrArray::AddString(std::string text) {
    FItems.push_back(std::make_unique<TXrString>(std::move(text)));
}

TXrArray& TXrArray::AddArray() {
    auto array = std::make_unique<TXrArray>();
    TXrArray& result = *array;
    FItems.push_back(std::move(array));
    return result;
}

TXrStruct& TXrArray::AddStruct() {
    auto member = std::make_unique<TXrStruct>();
    TXrStruct& result = *member;
    FItems.push_back(std::move(member));
    return result;
}

const std::string& TXrArray::StringItem(int index) const {
    auto* text = dynamic_cast<const TXrString*>(Item(index));
    if (!text)
        throw EXrTypeError("Array element " + std::to_string(index) + " is not a string.");
    return text->Value;
}

void TXrArray::AppendXml(std::string& out) const {
    out += "<array><data>\r\n";
    for (const auto& item : FItems) {
        out += "<value>\r\n";
        item->AppendXml(out);
        out += "</value>\r\n";
    }
    out += "</data></array>";
}
