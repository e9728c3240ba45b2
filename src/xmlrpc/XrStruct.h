#pragma once
// Members keyed by name (exact, case-sensitive) in a 16-bucket hash table
// beside the list of names in insertion order, which is also writing order.
#include "xmlrpc/XrValue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TXrArray;

class TXrStruct : public TXrValue {
public:
    static constexpr int kBucketCount = 16;

    TXrStruct();

    int Count() const { return static_cast<int>(FMembers.size()); }
    // Name of the index-th member added (1-based); outside 1..Count raises
    // EXrIndexError.
    const std::string& NameAt(int index) const;

    // Takes ownership in every case.  A name already present fails with a
    // check error; the struct is unchanged and the value destroyed.
    void Add(std::string name, std::unique_ptr<TXrValue> value);
    void AddString(std::string name, std::string value);
    void AddInteger(std::string name, int32_t value);
    void AddBoolean(std::string name, bool value);
    void AddDouble(std::string name, double value);
    void AddDateTime(std::string name, int32_t dayNumber, int32_t seconds);
    // Adds a new empty container and returns it (borrowed).
    TXrArray& AddArray(std::string name);
    TXrStruct& AddStruct(std::string name);

    // Borrowed member value, nullptr when absent.
    TXrValue* Find(std::string_view name) const;

    // Guarded reads: check error "Key <name> not found in Struct." when
    // absent, "Key <name> not of type ...." when of another class.
    const std::string& GetString(std::string_view name) const;
    int32_t GetInteger(std::string_view name) const;
    bool GetBoolean(std::string_view name) const;
    int32_t GetDate(std::string_view name) const; // the Date only, never the Time
    TXrArray& GetArray(std::string_view name) const;

    void AppendXml(std::string& out) const override;

private:
    struct TMember {
        std::string Name;
        std::unique_ptr<TXrValue> Value;
        int32_t Next; // next member index in the same bucket, -1 ends
    };
    int32_t IndexOf(std::string_view name, unsigned bucket) const;
    TXrValue& Required(std::string_view name) const;

    std::vector<TMember> FMembers;
    int32_t FBuckets[kBucketCount];
};
