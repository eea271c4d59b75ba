// Builds one JSON document: a tool's --json output, an export's sidecar.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class JsonWriter {
public:
    // Inside an object, name the next value with Key; inside an array, add values directly.
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const std::string& key);
    void Int(int64_t value);
    void Bool(bool value);
    void String(const std::string& value);

    template <typename Value>
    void Field(const std::string& key, Value value)
    {
        Key(key);
        Put(value);
    }

    const std::string& Text() const { return text; }

private:
    void Put(int64_t value) { Int(value); }
    void Put(int32_t value) { Int(value); }
    void Put(bool value) { Bool(value); }
    void Put(const std::string& value) { String(value); }
    void Put(const char* value) { String(value); }
    void Separate();

    std::string text;
    std::vector<bool> firstInScope;
    bool afterKey = false;
};
