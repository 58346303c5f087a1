#include "tests/support/writers/udf_writer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "formats/udf/udf_volume.h"

namespace kub::test {

namespace {

constexpr std::size_t kBlock = 2048;
constexpr std::uint32_t kPartitionStart = kUdfWriterPartitionStart;  // a multiple of the packet
constexpr std::uint32_t kPacket = 32;
constexpr std::uint32_t kMetadataBase = 16;   // metadata blocks start here in the partition
constexpr std::uint32_t kVirtualBase = 24;    // virtual block v is partition block v + 24
constexpr std::uint16_t kPhysicalRef = 0;

using Bytes = std::vector<std::uint8_t>;

// A field that would not fit is a fault of the writer itself.
void need(const Bytes& b, std::size_t at, std::size_t size) {
    if (at > b.size() || b.size() - at < size) throw std::out_of_range("udf writer: field outside its descriptor");
}
void put16(Bytes& b, std::size_t at, std::uint32_t v) {
    need(b, at, 2);
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    need(b, at, 4);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put64(Bytes& b, std::size_t at, std::uint64_t v) {
    need(b, at, 8);
    for (int i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put_text(Bytes& b, std::size_t at, const char* text) { std::memcpy(b.data() + at, text, std::strlen(text)); }
void put_long_ad(Bytes& b, std::size_t at, std::uint32_t length, std::uint32_t block, std::uint16_t ref) {
    put32(b, at, length);
    put32(b, at + 4, block);
    put16(b, at + 8, ref);
}
// Fills in the tag: identifier, version, location, CRC over the rest, then the checksum.
void seal(Bytes& d, std::uint16_t id, std::uint32_t location) {
    put16(d, 0, id);
    put16(d, 2, 2);
    put32(d, 12, location);
    std::size_t crc_length = d.size() - 16;
    put16(d, 10, static_cast<std::uint32_t>(crc_length));
    put16(d, 8, udf::udf_tag_crc(std::span<const std::uint8_t>(d).subspan(16, crc_length)));
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4) sum += d[i];
    d[4] = static_cast<std::uint8_t>(sum);
}

// A 12-byte timestamp: 2024-05-06 07:08:09.
void put_time(Bytes& b, std::size_t at) {
    put16(b, at, 0x1000);
    put16(b, at + 2, 2024);
    b[at + 4] = 5;
    b[at + 5] = 6;
    b[at + 6] = 7;
    b[at + 7] = 8;
    b[at + 8] = 9;
}

// The file system inside the partition, written block by block.
class Builder {
public:
    explicit Builder(const UdfImageOptions& o) : o_(o) {
        partition_blocks_ = std::max<std::uint32_t>(256, static_cast<std::uint32_t>(2 * o.chain_depth) + 160);
        partition_.assign(partition_blocks_, Bytes(kBlock, 0));
        data_next_ = partition_blocks_ - 16;
        switch (o.kind) {
            case UdfPartitionKind::physical:
            case UdfPartitionKind::sparable:
                structure_ref_ = 0;
                break;
            case UdfPartitionKind::virtual_table:
            case UdfPartitionKind::metadata:
                structure_ref_ = 1;
                break;
        }
    }

    std::string Build();

private:
    // Structure block s (the numbering of the structure map) as a partition block.
    std::uint32_t Physical(std::uint32_t s) const {
        switch (o_.kind) {
            case UdfPartitionKind::virtual_table:
                return s + kVirtualBase;
            case UdfPartitionKind::metadata:
                return s + kMetadataBase;
            default:
                return s;
        }
    }
    std::uint32_t AllocateStructure() { return structure_next_++; }
    void PutStructure(std::uint32_t s, Bytes d) {
        d.resize(kBlock, 0);
        partition_.at(Physical(s)) = std::move(d);
    }
    std::uint32_t WriteFile(std::size_t size, char fill);
    Bytes FileEntry(std::uint8_t type, std::uint64_t length, std::uint32_t s, std::uint16_t ad_kind, const Bytes& ads);
    struct Child {
        std::u16string name;
        std::uint8_t characteristics;
        std::uint32_t entry;  // structure block
    };
    std::uint32_t WriteDirectory(std::uint32_t self, std::uint32_t parent, const std::vector<Child>& children);
    Bytes Fid(const std::u16string& name, std::uint8_t characteristics, std::uint32_t entry, std::uint32_t location);

    const UdfImageOptions& o_;
    std::uint32_t partition_blocks_ = 0;
    std::vector<Bytes> partition_;
    std::uint16_t structure_ref_ = 0;
    std::uint32_t structure_next_ = 0;
    std::uint32_t data_next_ = 0;
};

Bytes Builder::FileEntry(std::uint8_t type, std::uint64_t length, std::uint32_t s, std::uint16_t ad_kind,
                         const Bytes& ads) {
    Bytes fe(176 + ads.size(), 0);
    put16(fe, 20, 4);  // strategy 4
    fe[27] = type;
    put16(fe, 34, ad_kind);
    put16(fe, 48, 1);
    put64(fe, 56, length);
    put_time(fe, 84);
    put32(fe, 172, static_cast<std::uint32_t>(ads.size()));
    std::copy(ads.begin(), ads.end(), fe.begin() + 176);
    seal(fe, 261, s);
    return fe;
}

std::uint32_t Builder::WriteFile(std::size_t size, char fill) {
    // Data in the physical partition, through a long allocation descriptor.
    std::uint32_t blocks = static_cast<std::uint32_t>((size + kBlock - 1) / kBlock);
    std::uint32_t first = data_next_;
    data_next_ += blocks;
    for (std::size_t i = 0; i < size; ++i) partition_.at(first + i / kBlock)[i % kBlock] = static_cast<std::uint8_t>(fill);
    Bytes ad(16, 0);
    std::uint16_t ref = o_.kind == UdfPartitionKind::sparable ? 0 : kPhysicalRef;
    put_long_ad(ad, 0, static_cast<std::uint32_t>(size), first, ref);
    std::uint32_t s = AllocateStructure();
    PutStructure(s, FileEntry(5, size, s, 1, ad));
    return s;
}

Bytes Builder::Fid(const std::u16string& name, std::uint8_t characteristics, std::uint32_t entry,
                   std::uint32_t location) {
    Bytes id;
    if (!name.empty()) {
        bool wide = std::any_of(name.begin(), name.end(), [](char16_t c) { return c > 0xFF; });
        id.push_back(wide ? 16 : 8);
        for (char16_t c : name) {
            if (wide) id.push_back(static_cast<std::uint8_t>(c >> 8));
            id.push_back(static_cast<std::uint8_t>(c));
        }
    }
    std::size_t size = (38 + id.size() + 3) & ~std::size_t{3};
    Bytes f(size, 0);
    put16(f, 16, 1);
    f[18] = characteristics;
    f[19] = static_cast<std::uint8_t>(id.size());
    put_long_ad(f, 20, kBlock, entry, structure_ref_);
    std::copy(id.begin(), id.end(), f.begin() + 38);
    seal(f, 257, location);
    return f;
}

std::uint32_t Builder::WriteDirectory(std::uint32_t self, std::uint32_t parent, const std::vector<Child>& children) {
    std::uint32_t data_block = AllocateStructure();
    Bytes data = Fid(u"", 0x0A, parent, data_block);
    for (const Child& c : children) {
        Bytes f = Fid(c.name, c.characteristics, c.entry, data_block);
        data.insert(data.end(), f.begin(), f.end());
    }
    std::uint64_t length = data.size();
    if (data.size() <= kBlock) {
        Bytes ad(8, 0);
        put32(ad, 0, static_cast<std::uint32_t>(data.size()));
        put32(ad, 4, data_block);
        PutStructure(data_block, std::move(data));
        PutStructure(self, FileEntry(4, length, self, 0, ad));
        return self;
    }
    // Two blocks: the entry records the first and points to an allocation extent descriptor that
    // records the second (or, looping, only itself).
    if (data.size() > 2 * kBlock || self != parent) throw std::runtime_error("directory too large for the writer");
    std::uint32_t second_block = AllocateStructure();
    std::uint32_t further = AllocateStructure();
    Bytes ad(16, 0);
    put32(ad, 0, kBlock);
    put32(ad, 4, data_block);
    put32(ad, 8, (3u << 30) | static_cast<std::uint32_t>(kBlock));
    put32(ad, 12, further);
    Bytes aed(24 + 8, 0);
    put32(aed, 20, 8);
    if (o_.continuation_loop) {
        put32(aed, 24, (3u << 30) | static_cast<std::uint32_t>(kBlock));
        put32(aed, 28, further);
    } else {
        put32(aed, 24, static_cast<std::uint32_t>(data.size() - kBlock));
        put32(aed, 28, second_block);
    }
    seal(aed, 258, further);
    PutStructure(second_block, Bytes(data.begin() + kBlock, data.end()));
    data.resize(kBlock);
    PutStructure(data_block, std::move(data));
    PutStructure(further, std::move(aed));
    PutStructure(self, FileEntry(4, length, self, 0, ad));
    return self;
}

std::string Builder::Build() {
    // File set descriptor and its terminator first.
    std::uint32_t fsd = AllocateStructure();
    std::uint32_t fsd_end = AllocateStructure();
    std::uint32_t root = AllocateStructure();

    std::uint32_t hello = WriteFile(11, 'h');
    std::uint32_t hidden = WriteFile(3, 'x');
    std::uint32_t chinese = WriteFile(16, 'c');
    std::uint32_t sub = AllocateStructure();
    std::uint32_t data = WriteFile(5000, 'd');
    WriteDirectory(sub, root, {{u"data.bin", 0, data}});

    std::vector<Child> root_children = {
        {u"hello.txt", 0, hello},
        {u"gone.txt", 0x04, hello},
        {u"hidden.txt", 0x01, hidden},
        {u"sub", 0x02, sub},
        {u"\u4e2d\u6587.txt", 0, chinese},
    };
    // The chain: each folder holds the next.
    if (o_.chain_depth > 0) {
        std::vector<std::uint32_t> chain(static_cast<std::size_t>(o_.chain_depth));
        for (auto& c : chain) c = AllocateStructure();
        for (std::size_t i = 0; i < chain.size(); ++i) {
            std::uint32_t parent = i == 0 ? root : chain[i - 1];
            std::vector<Child> kids;
            if (i + 1 < chain.size()) kids.push_back({u"d", 0x02, chain[i + 1]});
            WriteDirectory(chain[i], parent, kids);
        }
        root_children.push_back({u"d", 0x02, chain[0]});
    }
    if (o_.self_loop) root_children.push_back({u"loop", 0x02, root});
    if (o_.root_descriptors_continued)
        for (int i = 0; i < 40; ++i) {
            char16_t name[] = u"f00.txt";
            name[1] = static_cast<char16_t>(u'0' + i / 10);
            name[2] = static_cast<char16_t>(u'0' + i % 10);
            root_children.push_back({name, 0, hello});
        }
    WriteDirectory(root, root, root_children);

    Bytes f(512, 0);
    put_long_ad(f, 400, kBlock, root, structure_ref_);
    seal(f, 256, fsd);
    PutStructure(fsd, f);
    Bytes t(16, 0);
    seal(t, 8, fsd_end);
    PutStructure(fsd_end, t);
    if (structure_next_ + kMetadataBase + kVirtualBase >= partition_blocks_ - 16)
        throw std::runtime_error("partition too small for the writer");

    // The metadata file: one extent over the metadata blocks, its entry at partition block 2.
    const std::uint32_t metadata_file = 2;
    if (o_.kind == UdfPartitionKind::metadata) {
        Bytes ad(8, 0);
        put32(ad, 0, structure_next_ * kBlock);
        put32(ad, 4, kMetadataBase);
        Bytes fe(176 + 8, 0);
        put16(fe, 20, 4);
        fe[27] = 250;
        put64(fe, 56, std::uint64_t{structure_next_} * kBlock);
        put32(fe, 172, 8);
        std::copy(ad.begin(), ad.end(), fe.begin() + 176);
        seal(fe, 261, metadata_file);
        fe.resize(kBlock, 0);
        partition_.at(metadata_file) = fe;
    }

    // The image: volume structures, the partition, then kind-specific tails.
    std::uint32_t spare = kPartitionStart + partition_blocks_;        // sparable: the moved packet
    std::uint32_t sparing_table = spare + kPacket;                   // sparable: the table
    std::uint32_t total = sparing_table + 1 + (o_.kind == UdfPartitionKind::virtual_table ? 1 : 0);
    std::vector<Bytes> image(total, Bytes(kBlock, 0));
    for (std::uint32_t b = 0; b < partition_blocks_; ++b) image[kPartitionStart + b] = partition_[b];

    bool nsr3 = o_.revision >= 0x200;
    auto vrs = [&](std::uint32_t block, const char* id) {
        image[block][0] = 0;
        put_text(image[block], 1, id);
        image[block][6] = 1;
    };
    vrs(16, "BEA01");
    vrs(17, nsr3 ? "NSR03" : "NSR02");
    vrs(18, "TEA01");

    auto write_sequence = [&](std::uint32_t at) {
        Bytes pvd(512, 0);
        put32(pvd, 16, 1);
        seal(pvd, 1, at);
        image[at++] = pvd;
        auto pd = [&](const UdfPartitionDescriptorEntry& entry) {
            Bytes d(512, 0);
            put32(d, 16, entry.sequence);
            put16(d, 22, entry.number);
            put_text(d, 25, nsr3 ? "+NSR03" : "+NSR02");
            put32(d, 188, entry.start ? entry.start : kPartitionStart);
            put32(d, 192, partition_blocks_);
            seal(d, 5, at);
            image[at++] = d;
        };
        for (const auto& entry : o_.descriptors_before) pd(entry);
        pd({0, o_.main_sequence, 0});

        Bytes maps;
        auto type1 = [&]() {
            Bytes m(6, 0);
            m[0] = 1;
            m[1] = 6;
            put16(m, 2, 1);
            maps.insert(maps.end(), m.begin(), m.end());
        };
        auto type2 = [&](const char* id, auto&& fill) {
            Bytes m(64, 0);
            m[0] = 2;
            m[1] = 64;
            put_text(m, 5, id);
            put16(m, 36, 1);
            put16(m, 38, 0);
            fill(m);
            maps.insert(maps.end(), m.begin(), m.end());
        };
        int map_count = 1;
        switch (o_.kind) {
            case UdfPartitionKind::physical:
                type1();
                break;
            case UdfPartitionKind::virtual_table:
                type1();
                type2("*UDF Virtual Partition", [](Bytes&) {});
                map_count = 2;
                break;
            case UdfPartitionKind::sparable:
                type2("*UDF Sparable Partition", [&](Bytes& m) {
                    put16(m, 40, kPacket);
                    m[42] = 1;
                    put32(m, 44, kBlock);
                    put32(m, 48, sparing_table);
                });
                break;
            case UdfPartitionKind::metadata:
                type1();
                type2("*UDF Metadata Partition", [&](Bytes& m) {
                    put32(m, 40, metadata_file);
                    put32(m, 44, metadata_file);
                    put32(m, 48, 0xFFFFFFFF);
                    put32(m, 52, kPacket);
                    put16(m, 56, 1);
                });
                map_count = 2;
                break;
        }
        Bytes lvd(440 + maps.size(), 0);
        put32(lvd, 16, 1);
        lvd[20] = 0;
        put_text(lvd, 21, "OSTA Compressed Unicode");
        put32(lvd, 212, kBlock);
        put_text(lvd, 217, "*OSTA UDF Compliant");
        put16(lvd, 240, o_.revision);
        put_long_ad(lvd, 248, 2 * kBlock, fsd, structure_ref_);
        put32(lvd, 264, static_cast<std::uint32_t>(maps.size()));
        put32(lvd, 268, static_cast<std::uint32_t>(map_count));
        std::copy(maps.begin(), maps.end(), lvd.begin() + 440);
        seal(lvd, 6, at);
        image[at++] = lvd;
        Bytes td(512, 0);
        seal(td, 8, at);
        image[at++] = td;
    };
    write_sequence(32);
    write_sequence(48);

    Bytes anchor(512, 0);
    put32(anchor, 16, 16 * kBlock);
    put32(anchor, 20, 32);
    put32(anchor, 24, 16 * kBlock);
    put32(anchor, 28, 48);
    seal(anchor, 2, o_.anchor_only_at_512 ? 512 : 256);
    image[o_.anchor_only_at_512 ? 512 : 256] = anchor;

    if (o_.kind == UdfPartitionKind::sparable) {
        // The first packet lives in the spare area; its own place holds nothing usable.
        for (std::uint32_t i = 0; i < kPacket; ++i) {
            image[spare + i] = image[kPartitionStart + i];
            image[kPartitionStart + i].assign(kBlock, 0xEE);
        }
        Bytes st(56 + 8, 0);
        put_text(st, 17, "*UDF Sparing Table");
        put16(st, 48, 1);
        put32(st, 56, kPartitionStart);
        put32(st, 60, spare);
        seal(st, 0, sparing_table);
        image[sparing_table] = st;
    }
    if (o_.kind == UdfPartitionKind::virtual_table && o_.write_vat) {
        Bytes vat(152, 0);
        put16(vat, 0, 152);
        for (std::uint32_t v = 0; v < structure_next_; ++v) {
            Bytes e(4, 0);
            put32(e, 0, v + kVirtualBase);
            vat.insert(vat.end(), e.begin(), e.end());
        }
        Bytes fe = FileEntry(248, vat.size(), total - 1, 3, vat);
        fe.resize(kBlock, 0);
        image[total - 1] = fe;
    }
    std::string out;
    out.reserve(std::size_t{total} * kBlock);
    for (Bytes& b : image) {
        b.resize(kBlock, 0);  // descriptors shorter than a block fill it with zeros
        out.append(b.begin(), b.end());
    }
    return out;
}

}  // namespace

std::string build_udf_image(const UdfImageOptions& options) { return Builder(options).Build(); }

}  // namespace kub::test
