// The one kind of failure the disc service reports: a status that the libraries (or the
// service's own checks) reported as failing, with the first message of severity SORRY or
// above that the library queued for that operation. The text is UTF-8.
#pragma once

#include <stdexcept>
#include <string>

namespace mg {

class DiscFailure : public std::runtime_error {
 public:
  explicit DiscFailure(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace mg
