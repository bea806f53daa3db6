// The one kind of failure the disc service reports: a status that the libraries (or the
// service's own checks) reported as failing. what() is the technical text (UTF-8, with
// paths and the library's first message of severity SORRY or above), for standard
// error; Spoken() is what the user hears: a short Portuguese sentence in cp1252 without
// library text or whole paths, or "" when only the caller knows what to say.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace mg {

class DiscFailure : public std::runtime_error {
 public:
  explicit DiscFailure(const std::string& text, std::string spoken = {}, std::string entry = {})
      : std::runtime_error(text), spoken_(std::move(spoken)), entry_(std::move(entry)) {}
  const std::string& Spoken() const { return spoken_; }
  // The entry of the source tree the failure is about (relative to the source
  // directory, bytes from the disk), "" when it is about none.
  const std::string& Entry() const { return entry_; }

 private:
  std::string spoken_;
  std::string entry_;
};

// A name from the disk (bytes as the kernel has them) as the user reads it: UTF-8 names
// in cp1252, any other name's bytes taken as cp1252.
std::string DiskNameForUser(const std::string& bytes);

// "Não é possível ler: <name>", the sentence for an entry of the source tree that cannot
// be read (`shownName` relative to the source directory, bytes from the disk).
std::string CannotReadSentence(const std::string& shownName);

}  // namespace mg
