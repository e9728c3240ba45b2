#include "xmlrpc/XrStruct.h"

#include "support/Require.h"
#include "xmlrpc/EscapeXml.h"
#include "xmlrpc/XrArray.h"
#include "xmlrpc/XrBoolean.h"
#include "xmlrpc/XrDateTime.h"
#include "xmlrpc/XrDouble.h"
#include "xmlrpc/XrErrors.h"
#include "xmlrpc/XrInt4.h"
#include "xmlrpc/XrString.h"

#include <algorithm>

namespace {

// FNV-1a folded onto the bucket count.
unsigned BucketOf(std::string_view name) {
    uint32_t h = 2166136261u;
    for (unsigned char c : name) {
        h ^= c;
        h *= 16777619u;
    }
    return (h ^ (h >> 16)) % TXrStruct::kBucketCount;
}

} // namespace

TXrStruct::TXrStruct() {
    std::fill(std::begin(FBuckets), std::end(FBuckets), -1);
}

const std::string& TXrStruct::NameAt(int index) const {
    if (index < 1 || index > Count())
        throw EXrIndexError("List index out of bounds (" + std::to_string(index) + ")");
    return FMembers[static_cast<size_t>(index - 1)].Name;
}

int32_t TXrStruct::IndexOf(std::string_view name, unsigned bucket) const {
    for (int32_t i = FBuckets[bucket]; i >= 0; i = FMembers[static_cast<size_t>(i)].Next)
        if (FMembers[static_cast<size_t>(i)].Name == name)
            return i;
    return -1;
}

void TXrStruct::Add(std::string name, std::unique_ptr<TXrValue> value) {
    Require(value != nullptr, "Cannot add a missing value to a struct.");
    unsigned bucket = BucketOf(name);
    Forbid(IndexOf(name, bucket) >= 0);
    FMembers.push_back({std::move(name), std::move(value), FBuckets[bucket]});
    FBuckets[bucket] = static_cast<int32_t>(FMembers.size() - 1);
}

void TXrStruct::AddString(std::string name, std::string value) {
    Add(std::move(name), std::make_unique<TXrString>(std::move(value)));
}

void TXrStruct::AddInteger(std::string name, int32_t value) {
    Add(std::move(name), std::make_unique<TXrInt4>(value));
}

void TXrStruct::AddBoolean(std::string name, bool value) {
    Add(std::move(name), std::make_unique<TXrBoolean>(value));
}

void TXrStruct::AddDouble(std::string name, double value) {
    Add(std::move(name), std::make_unique<TXrDouble>(value));
}

void TXrStruct::AddDateTime(std::string name, int32_t dayNumber, int32_t seconds) {
    Add(std::move(name), std::make_unique<TXrDateTime>(dayNumber, seconds));
}

TXrArray& TXrStruct::AddArray(std::string name) {
    auto array = std::make_unique<TXrArray>();
    TXrArray& result = *array;
    Add(std::move(name), std::move(array));
    return result;
}

TXrStruct& TXrStruct::AddStruct(std::string name) {
    auto member = std::make_unique<TXrStruct>();
    TXrStruct& result = *member;
    Add(std::move(name), std::move(member));
    return result;
}

TXrValue* TXrStruct::Find(std::string_view name) const {
    int32_t i = IndexOf(name, BucketOf(name));
    return i < 0 ? nullptr : FMembers[static_cast<size_t>(i)].Value.get();
}

TXrValue& TXrStruct::Required(std::string_view name) const {
    TXrValue* value = Find(name);
    Require(value != nullptr, "Key " + std::string(name) + " not found in Struct.");
    return *value;
}

const std::string& TXrStruct::GetString(std::string_view name) const {
    auto* value = dynamic_cast<TXrString*>(&Required(name));
    Require(value != nullptr, "Key " + std::string(name) + " not of type string.");
    return value->Value;
}

int32_t TXrStruct::GetInteger(std::string_view name) const {
    auto* value = dynamic_cast<TXrInt4*>(&Required(name));
    Require(value != nullptr, "Key " + std::string(name) + " not of type integer.");
    return value->Value;
}

bool TXrStruct::GetBoolean(std::string_view name) const {
    auto* value = dynamic_cast<TXrBoolean*>(&Required(name));
    Require(value != nullptr, "Key " + std::string(name) + " not of type boolean.");
    return value->Value;
}

int32_t TXrStruct::GetDate(std::string_view name) const {
    auto* value = dynamic_cast<TXrDateTime*>(&Required(name));
    Require(value != nullptr, "Key " + std::string(name) + " not of type date/time.");
    return value->Date;
}

TXrArray& TXrStruct::GetArray(std::string_view name) const {
    auto* value = dynamic_cast<TXrArray*>(&Required(name));
    Require(value != nullptr, "Key " + std::string(name) + " not of type array.");
    return *value;
}

void TXrStruct::AppendXml(std::string& out) const {
    out += "<struct>\r\n";
    for (const TMember& member : FMembers) {
        out += "    <member>\r\n        <name>";
        AppendEscapedXml(out, member.Name);
        out += "</name>\r\n        <value>\r\n";
        member.Value->AppendXml(out);
        out += "</value>\r\n    </member>\r\n";
    }
    out += "</struct>";
}
