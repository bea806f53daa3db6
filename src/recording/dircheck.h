// The source directory check: enter the directory to record and list what it holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "recording/sourcetree.h"

namespace mg {

struct SourceListing {
  // Names (without path, bytes as the disk has them) of the directory's own entries that
  // will be recorded, in the order the directory listing returned them.
  std::vector<std::string> entries;
  int files = 0;
  int directories = 0;
  // Filled by CheckSourceTree: the folders recorded at their own places, and the first
  // entry (relative to the directory) that cannot be read, "" when there is none.
  FolderSet folders;
  std::string unreadable;
};

// The directory as typed (cp1252; a leading "~" is the home directory) as a Linux path.
std::string SourcePathForKernel(std::string_view typedCp1252);

// Makes the directory the current directory and lists it. Left out ("hidden or system"):
// names beginning with "." and devices, FIFOs and sockets. Every other entry is listed
// and counted, whether it can be read or not: a folder, or a link to one, as a
// directory; a file, a link to one, or a link that leads nowhere, as a file. Returns
// false when the directory cannot be entered or its listing cannot be read (the current
// directory is left unchanged unless the listing broke off midway).
bool ListSourceDirectory(std::string_view typedCp1252, SourceListing& listing);

// Walks the listed entries' whole trees as the burn will (sourcetree.h), from the
// current directory. Returns false, with `unreadable` set, at the first entry that
// cannot be read or link that leads nowhere; fills `folders` either way.
bool CheckSourceTree(SourceListing& listing);

// The spoken summary: "<files> arquivos, <directories> diretórios" (cp1252).
std::string ListingSummary(const SourceListing& listing);

}  // namespace mg
