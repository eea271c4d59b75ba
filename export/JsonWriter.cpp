#include "export/JsonWriter.h"

#include <cstdio>

void JsonWriter::Separate()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (!firstInScope.empty()) {
        if (!firstInScope.back()) {
            text += ',';
        }
        firstInScope.back() = false;
    }
}

void JsonWriter::BeginObject()
{
    Separate();
    text += '{';
    firstInScope.push_back(true);
}

void JsonWriter::EndObject()
{
    text += '}';
    firstInScope.pop_back();
}

void JsonWriter::BeginArray()
{
    Separate();
    text += '[';
    firstInScope.push_back(true);
}

void JsonWriter::EndArray()
{
    text += ']';
    firstInScope.pop_back();
}

void JsonWriter::Key(const std::string& key)
{
    String(key);
    text += ':';
    afterKey = true;
}

void JsonWriter::Int(int64_t value)
{
    Separate();
    text += std::to_string(value);
}

void JsonWriter::Bool(bool value)
{
    Separate();
    text += value ? "true" : "false";
}

void JsonWriter::String(const std::string& value)
{
    Separate();
    text += '"';
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    text += '"';
}
