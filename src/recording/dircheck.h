// The source directory check: enter the directory to record and list what it holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mg {

struct SourceListing {
  // Names (without path, bytes as the disk has them) of the directory's own entries that
  // will be recorded, in the order the directory listing returned them.
  std::vector<std::string> entries;
  int files = 0;
  int directories = 0;
};

// The directory as typed (cp1252; a leading "~" is the home directory) as a Linux path.
std::string SourcePathForKernel(std::string_view typedCp1252);

// Makes the directory the current directory and lists it. Left out ("hidden or system"):
// names beginning with "."; entries that are neither directories, regular files nor
// symbolic links (devices, FIFOs, sockets); entries the user cannot read (a directory
// also needs search permission). A symbolic link counts as a file: it is recorded as a
// link. Returns false when the directory cannot be entered or its listing cannot be read
// (the current directory is left unchanged unless the listing broke off midway).
bool ListSourceDirectory(std::string_view typedCp1252, SourceListing& listing);

// The spoken summary: "<files> arquivos, <directories> diretórios" (cp1252).
std::string ListingSummary(const SourceListing& listing);

}  // namespace mg
