// The --json documents: objects, arrays, whole numbers, strings and truth
// values, printed indented by four spaces with each object's members in the
// order of their names, the layout the documents have always had.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class Json {
public:
    struct Member;

    Json(bool value) : kind_(Kind::kBool), number_(value) {}
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    Json(T value) : kind_(Kind::kNumber), number_(static_cast<std::int64_t>(value)) {}
    // Bytes that are not UTF-8 print as U+FFFD, one for each byte.
    Json(std::string value) : kind_(Kind::kString), text_(std::move(value)) {}
    Json(const char* value) : Json(std::string(value)) {}
    // An object of these members.
    Json(std::initializer_list<Member> members);
    static Json Array() { return Json(Kind::kArray); }

    // Adds an element to an array.
    void Append(Json value) { items_.push_back(std::move(value)); }
    // Adds or replaces a member of an object.
    void Set(const std::string& name, Json value);
    std::size_t Size() const { return items_.size(); }

    // The whole document, ending in a line break.
    std::string Text() const;

private:
    enum class Kind { kBool, kNumber, kString, kArray, kObject };
    explicit Json(Kind kind) : kind_(kind) {}
    void Write(std::string& out, int depth) const;

    Kind kind_;
    std::int64_t number_ = 0;
    std::string text_;
    std::vector<Json> items_;         // array elements, or object member values
    std::vector<std::string> names_;  // object member names, sorted, beside items_
};

struct Json::Member {
    std::string name;
    Json value;
};
