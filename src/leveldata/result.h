#pragma once

#include <concepts>
#include <optional>
#include <type_traits>
#include <utility>

namespace morvane {

// Either a value or the failure that prevented it. A failure may also be given as anything the
// failure type is made from (an error code for a failure with more facts).
template <typename T, typename E>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(E failure) : m_failure(std::move(failure)) {}
    template <typename F>
    requires(std::constructible_from<E, F> && !std::convertible_to<F, T> &&
             !std::same_as<std::remove_cvref_t<F>, E>) Result(F&& failure)
        : m_failure(std::forward<F>(failure)) {}

    bool ok() const { return m_value.has_value(); }
    // The value; only when ok().
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    // The failure; only when not ok().
    const E& failure() const { return m_failure; }

private:
    std::optional<T> m_value;
    E m_failure{};
};

}  // namespace morvane
