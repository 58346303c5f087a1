#pragma once
// Builds small UDF images field by field, for the partition kinds and damaged volumes no tool
// makes on request: physical, virtual (with a virtual allocation table at the last block),
// sparable (with a sparing table that moves the first packet) and metadata partitions.
//
// Every image holds the same tree: hello.txt (11 bytes), a deleted gone.txt, hidden.txt (3 bytes,
// hidden), sub\ with data.bin (5000 bytes), and 中文.txt (16 bytes, a 16-bit name); optionally a
// chain of nested folders named "d" under the root.
#include <cstdint>
#include <string>
#include <vector>

namespace kub::test {

enum class UdfPartitionKind { physical, virtual_table, sparable, metadata };

struct UdfPartitionDescriptorEntry {
    std::uint16_t number = 0;
    std::uint32_t sequence = 1;
    std::uint32_t start = 0;  // 0: the real partition's start
};

struct UdfImageOptions {
    UdfPartitionKind kind = UdfPartitionKind::physical;
    std::uint16_t revision = 0x0201;
    bool anchor_only_at_512 = false;
    bool write_vat = true;  // virtual: the table at the last block
    int chain_depth = 0;    // nested folders "d" under the root
    bool self_loop = false; // a folder "loop" in the root whose entry is the root's own
    // The root also holds f00.txt to f39.txt (hello.txt's entry), its data in two blocks whose
    // second extent is described in an allocation extent descriptor the root's entry points to;
    // with the loop, that descriptor points to itself instead.
    bool root_descriptors_continued = false;
    bool continuation_loop = false;
    // Partition descriptors recorded before the real one (sequence main_sequence).
    std::vector<UdfPartitionDescriptorEntry> descriptors_before;
    std::uint32_t main_sequence = 1;
};

// The image bytes.
std::string build_udf_image(const UdfImageOptions& options);

// Where the partition starts (absolute block), for tests that damage it.
inline constexpr std::uint32_t kUdfWriterPartitionStart = 608;

}  // namespace kub::test
