// Numbers typed as arguments: the whole text must be the number, in decimal, and fit.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace krax::cli {

template <typename Number>
std::optional<Number> ParseWholeNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace krax::cli
