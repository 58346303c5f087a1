#pragma once
// Turns the facts of a KUB file header into the ItemHeader the analysis sums: names to UTF-16
// with the path rewriting of each generation, host system names, times to FILETIME, attributes
// of non-Windows hosts, sizes, versions and checksums.
#include <string>

#include "formats/archive_reader.h"
#include "formats/kub/kub_header.h"
#include "formats/kub/kub_signature.h"

namespace kub::kubfmt {

// The name a file header reports: ":" becomes "_" and "/" becomes "\"; in generation 3, whose
// separator is "/", a "\" becomes "_" first.
std::u16string rewrite_item_name(std::u16string name, Generation generation);

// The host system's name ("" when unknown) and whether its attributes are Windows-style.
std::u16string host_system_name(std::uint64_t host, Generation generation);
bool host_has_windows_attributes(std::uint64_t host, Generation generation);

ItemHeader to_item_header(const ItemFacts& facts, Generation generation);

}  // namespace kub::kubfmt
