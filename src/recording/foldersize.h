// How big the image of the source directory will be, and which disc it fits: said after
// the count of files and directories.
#pragma once

#include <cstdint>
#include <string>

#include "recording/dircheck.h"

namespace mg {

// Capacities in bytes: an 80-minute CD (360,000 sectors) and a single-layer DVD
// (2,295,104 sectors), 2048 bytes a sector.
constexpr int64_t kCdBytes = int64_t{360000} * 2048;
constexpr int64_t kDvdBytes = int64_t{2295104} * 2048;

// Estimated image size of the listed entries, walked from the current directory as the
// burn walks them: every file rounded up to whole sectors, plus the volume descriptors
// and the directory records of both name trees. -1 when the tree cannot be walked.
int64_t EstimateImageBytes(const SourceListing& listing);

// "312 megabytes; cabe em um CD", "... cabe num DVD", "... é maior que um DVD" (cp1252;
// megabytes of 2^20 bytes, rounded up).
std::string SizeSentence(int64_t imageBytes);

}  // namespace mg
