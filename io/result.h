// The one way a failure travels: a value, or an error made of a code and a
// message for the user, never both. Shaped like std::expected (has_value,
// value, error, *, ->), which not every compiler the project builds with
// offers yet. std::optional stays for what may be missing without failing
// (a block that is not there, a text that is no number).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

enum class ErrorCode {
    kFailed,         // the message says what went wrong
    kCancelled,      // the user stopped the work: no error to show
    kOutOfMemory,
    kBaseMissing,    // the base verdata.mul to merge over does not exist
    kChangedOnDisk,  // another program changed the file since it was read here
    kNotFetched,     // a Git LFS pointer stands where the file should be
    kUsage,          // the words given to a command do not fit it; the message names the one refused
};

struct Error {
    explicit Error(std::string text, ErrorCode kind = ErrorCode::kFailed) : code(kind), message(std::move(text)) {}
    ErrorCode code;
    std::string message;
};

namespace result_detail {
[[noreturn]] inline void NoValue(const Error& error) {
    std::fprintf(stderr, "a result without a value was read: %s\n", error.message.c_str());
    std::abort();
}
}  // namespace result_detail

template <class T>
class [[nodiscard]] Result {
public:
    template <class U = T>
        requires(std::is_constructible_v<T, U &&> && !std::is_same_v<std::remove_cvref_t<U>, Error> &&
                 !std::is_same_v<std::remove_cvref_t<U>, Result>)
    Result(U&& value) : state_(std::in_place_index<0>, std::forward<U>(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() & { return *Checked(); }
    const T& value() const& { return *const_cast<Result*>(this)->Checked(); }
    T&& value() && { return std::move(*Checked()); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*Checked()); }
    T* operator->() { return Checked(); }
    const T* operator->() const { return const_cast<Result*>(this)->Checked(); }
    template <class U>
    T value_or(U&& other) const& {
        return has_value() ? std::get<0>(state_) : static_cast<T>(std::forward<U>(other));
    }
    // Only after has_value() said false.
    const Error& error() const { return std::get<1>(state_); }

private:
    T* Checked() {
        if (T* v = std::get_if<0>(&state_)) return v;
        result_detail::NoValue(error());
    }

    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    bool has_value() const { return !error_; }
    explicit operator bool() const { return !error_; }
    void value() const {
        if (error_) result_detail::NoValue(*error_);
    }
    // Only after has_value() said false.
    const Error& error() const { return *error_; }

private:
    std::optional<Error> error_;
};

// Done, or why not.
using Status = Result<void>;
