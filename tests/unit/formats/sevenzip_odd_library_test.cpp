// The bridge against a stand-in library whose answers a test chooses: missing exports, failing
// calls, no items, failing properties, null and odd strings. Nothing may crash, every string the
// library hands over is released exactly once, every load is unloaded, and the archive stays
// recognised.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "formats/format_registry.h"
#include "formats/sevenzip/sevenzip_library.h"
#include "formats/sevenzip/sevenzip_reader.h"
#include "formats/sevenzip/sevenzip_signature.h"
#include "tests/support/ascii_text.h"
#include "tests/support/scratch_folder.h"

namespace kub::sevenzip {
namespace {

enum class PathKind { kText, kEmpty, kNullString, kNumber };

// What the stand-in answers, and what it saw.
struct Fake {
    // Answers.
    bool export_handler = true, export_create = true, export_clear = true;
    HResult handler_result = kSOk;
    std::uint32_t class_id_bytes = 16;
    HResult create_result = kSOk;
    bool null_object = false;
    bool ask_password = false;
    HResult open_result = kSOk;
    HResult count_result = kSOk;
    std::uint32_t count = 2;
    HResult path_result = kSOk;
    PathKind path_kind = PathKind::kText;
    bool other_properties_fail = false;
    // Observations.
    int loads = 0, unloads = 0, creates = 0, archive_refs = 0, strings_live = 0;
    int stream_refs_held = 0;
    std::uint64_t stream_size = 0;
    std::uint8_t first_bytes[2] = {0, 0};
    HResult other_stream_query = kSOk, bad_origin_seek = kSOk, password_answer = kSOk;
    HResult own_callback_query = kSOk, volume_property = kSOk;
    bool password_cleared = false;
};
Fake* fake = nullptr;
int module_tag;
const Guid kClassId = {0x23170F69, 0x40C1, 0x278A, {0x10, 0, 0, 0x01, 0, 0x07, 0, 0}};

// Strings laid out as the library lays them out: a 32-bit byte length in front.
Bstr make_string(const void* bytes, std::uint32_t byte_length) {
    auto* block = static_cast<std::uint8_t*>(std::calloc(1, sizeof(std::uint32_t) + byte_length + sizeof(LibraryChar)));
    std::memcpy(block, &byte_length, sizeof byte_length);
    std::memcpy(block + sizeof byte_length, bytes, byte_length);
    ++fake->strings_live;
    return reinterpret_cast<Bstr>(block + sizeof byte_length);
}
Bstr make_text(const wchar_t* text) {
    return make_string(text, static_cast<std::uint32_t>(std::wcslen(text) * sizeof(LibraryChar)));
}

HResult fake_variant_clear(PropVariant* value) {
    if (value->vt == kVtBstr && value->bstr) {
        std::free(reinterpret_cast<std::uint8_t*>(value->bstr) - sizeof(std::uint32_t));
        --fake->strings_live;
    }
    value->vt = kVtEmpty;
    return kSOk;
}

HResult fake_handler_property(std::uint32_t prop_id, PropVariant* value) {
    if (prop_id != kHandlerClassId || fake->handler_result != kSOk) return fake->handler_result ? fake->handler_result : kEFail;
    std::uint8_t bytes[16];
    std::memcpy(bytes, &kClassId, 16);
    value->vt = kVtBstr;
    value->bstr = make_string(bytes, fake->class_id_bytes);
    return kSOk;
}

// ---- The archive object ----
struct FakeArchive {
    const InArchiveSlots* slots;
    void* stream = nullptr;
};

HResult archive_query(void*, const Guid*, void** out) {
    *out = nullptr;
    return kENoInterface;
}
std::uint32_t archive_add_ref(void*) { return static_cast<std::uint32_t>(++fake->archive_refs); }
std::uint32_t archive_release(void* self) {
    auto* archive = static_cast<FakeArchive*>(self);
    int left = --fake->archive_refs;
    if (left == 0) {
        if (archive->stream) {
            (*static_cast<const UnknownSlots* const*>(archive->stream))->release(archive->stream);
            --fake->stream_refs_held;
        }
        delete archive;
    }
    return static_cast<std::uint32_t>(left);
}

template <typename Slots>
const Slots& slots_of(void* object) {
    return **static_cast<const Slots* const*>(object);
}

// Opening looks at the stream and the callback the way the real library does.
HResult archive_open(void* self, void* stream, const std::uint64_t* max_check_start, void* callback) {
    if (!max_check_start || *max_check_start != 1024 * 1024) return kEFail;
    const auto& in = slots_of<InStreamSlots>(stream);
    void* size_face = nullptr;
    if (in.unknown.query_interface(stream, &kIidStreamGetSize, &size_face) == kSOk) {
        slots_of<StreamGetSizeSlots>(size_face).get_size(size_face, &fake->stream_size);
        slots_of<StreamGetSizeSlots>(size_face).unknown.release(size_face);
    }
    void* other = &fake;
    fake->other_stream_query = in.unknown.query_interface(stream, &kIidInArchive, &other);
    if (other) return kEFail;
    std::uint64_t position = 0;
    fake->bad_origin_seek = in.seek(stream, 0, 3, &position);
    in.seek(stream, 0, 0, &position);
    std::uint32_t got = 0;
    in.read(stream, fake->first_bytes, 2, &got);

    const auto& cb = slots_of<OpenCallbackSlots>(callback);
    cb.set_total(callback, nullptr, nullptr);
    void* own = &fake;
    const Guid open_callback_id = library_interface_id(0x06, 0x10);
    fake->own_callback_query = cb.unknown.query_interface(callback, &open_callback_id, &own);
    void* volume = nullptr;
    if (cb.unknown.query_interface(callback, &kIidOpenVolumeCallback, &volume) == kSOk) {
        PropVariant value;
        fake->volume_property = slots_of<OpenVolumeCallbackSlots>(volume).get_property(volume, 4, &value);
        slots_of<OpenVolumeCallbackSlots>(volume).unknown.release(volume);
    }
    if (fake->ask_password) {
        void* password = nullptr;
        if (cb.unknown.query_interface(callback, &kIidGetTextPassword, &password) != kSOk) return kEFail;
        Bstr text = reinterpret_cast<Bstr>(&fake);
        fake->password_answer = slots_of<GetTextPasswordSlots>(password).get_password(password, &text);
        fake->password_cleared = text == nullptr;
        slots_of<GetTextPasswordSlots>(password).unknown.release(password);
        return fake->password_answer;
    }
    if (fake->open_result != kSOk) return fake->open_result;
    // Keeps the stream, as the real library does, until the archive object goes.
    in.unknown.add_ref(stream);
    ++fake->stream_refs_held;
    static_cast<FakeArchive*>(self)->stream = stream;
    return kSOk;
}
HResult archive_close(void*) { return kSOk; }
HResult archive_count(void*, std::uint32_t* count) {
    *count = fake->count;
    return fake->count_result;
}
HResult archive_property(void*, std::uint32_t index, std::uint32_t prop_id, PropVariant* value) {
    if (prop_id == kPropPath) {
        if (fake->path_result != kSOk) return fake->path_result;
        switch (fake->path_kind) {
            case PathKind::kText:
                value->vt = kVtBstr;
                value->bstr = make_text(index == 0 ? L"dir/file.txt" : L"second");
                break;
            case PathKind::kEmpty: break;
            case PathKind::kNullString: value->vt = kVtBstr; value->bstr = nullptr; break;
            case PathKind::kNumber: value->vt = kVtUi4; value->ui4 = 7; break;
        }
        return kSOk;
    }
    if (fake->other_properties_fail) {
        // A failing call that still leaves a string behind must not leak it.
        value->vt = kVtBstr;
        value->bstr = make_text(L"left behind");
        return kEFail;
    }
    switch (prop_id) {
        case kPropSize: value->vt = kVtUi2; value->ui2 = 1234; break;
        case kPropPackedSize: value->vt = kVtUi8; value->ui8 = 0x100000000ull; break;
        case kPropIsDirectory: value->vt = kVtBool; value->boolean = index == 1 ? -1 : 0; break;
        case kPropAttributes: value->vt = kVtUi4; value->ui4 = index == 1 ? 0 : 0x20; break;
        case kPropModTime: value->vt = kVtFiletime; value->filetime = {0x89ABCDEF, 0x01234567}; break;
        case kPropCrc: value->vt = kVtUi4; value->ui4 = 0xCAFEF00D; break;
        case kPropMethod: value->vt = kVtBstr; value->bstr = make_text(L"LZMA2:24 7zAES"); break;
        default: break;
    }
    return kSOk;
}

const InArchiveSlots kFakeArchiveSlots = {
    {archive_query, archive_add_ref, archive_release}, archive_open, archive_close, archive_count, archive_property};

HResult fake_create_object(const Guid* class_id, const Guid* iid, void** object) {
    *object = nullptr;
    if (!same_guid(*class_id, kClassId) || !same_guid(*iid, kIidInArchive)) return kENoInterface;
    if (fake->create_result != kSOk) return fake->create_result;
    ++fake->creates;
    if (fake->null_object) return kSOk;
    *object = new FakeArchive{&kFakeArchiveSlots};
    ++fake->archive_refs;
    return kSOk;
}

LibraryAccess fake_access() {
    LibraryAccess access;
    access.load = []() -> os::ModuleHandle {
        ++fake->loads;
        return &module_tag;
    };
    access.find_export = [](os::ModuleHandle module, const char* name) -> void* {
        if (module != &module_tag) return nullptr;
        std::string n(name);
        if (n == kGetHandlerPropertyExport && fake->export_handler) return reinterpret_cast<void*>(fake_handler_property);
        if (n == kCreateObjectExport && fake->export_create) return reinterpret_cast<void*>(fake_create_object);
        if (n == kVariantClearExport && fake->export_clear) return reinterpret_cast<void*>(fake_variant_clear);
        return nullptr;
    };
    access.unload = [](os::ModuleHandle module) {
        if (module == &module_tag) ++fake->unloads;
    };
    return access;
}

class OddLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake = &state;
        std::string bytes(kSignature.begin(), kSignature.end());
        bytes += std::string(200, '\x01');
        ASSERT_TRUE(scratch.write_file(u"odd.name.7z", bytes));
        path = scratch / u"odd.name.7z";
        head.assign(bytes.begin(), bytes.end());
    }
    void TearDown() override {
        // Every load unloaded, every string released, the archive object gone with its stream.
        EXPECT_EQ(state.loads, state.unloads);
        EXPECT_EQ(state.strings_live, 0);
        EXPECT_EQ(state.archive_refs, 0);
        EXPECT_EQ(state.stream_refs_held, 0);
        fake = nullptr;
    }
    struct Listing {
        std::vector<int> results;  // every ReadItem answer, the last one nonzero
        std::vector<ItemHeader> items;
        ArchiveSummary summary;
    };
    Listing list() {
        Listing out;
        SevenZipReader reader(nullptr, fake_access());
        std::int32_t offset = -1;
        std::u16string name = path;
        if (!reader.Open(name, head, offset, 0)) {
            ADD_FAILURE() << "not recognised";
            return out;
        }
        EXPECT_EQ(offset, 0);
        for (int n = 0; n < 10; ++n) {
            ItemHeader item;
            int result = reader.ReadItem(item);
            out.results.push_back(result);
            if (result != kItemRead) break;
            out.items.push_back(item);
        }
        reader.Close(out.summary);
        return out;
    }

    Fake state;
    test::ScratchFolder scratch;
    std::u16string path;
    std::vector<std::uint8_t> head;
};

TEST_F(OddLibraryTest, WellBehavedLibraryGivesEveryProperty) {
    Listing l = list();
    ASSERT_EQ(l.results, (std::vector<int>{kItemRead, kItemRead, kNoMoreItems}));
    const ItemHeader& file = l.items[0];
    EXPECT_EQ(file.Name, u"dir/file.txt");  // the analysis turns "/" into "\"
    EXPECT_EQ(file.UnpackedSize, 1234u);
    EXPECT_EQ(file.PackedSize, 0x100000000ull);
    EXPECT_FALSE(file.IsDirectory);
    EXPECT_EQ(file.Attributes, 0x20u);
    EXPECT_EQ(file.ModTime, 0x0123456789ABCDEFull);
    EXPECT_EQ(file.HashKind, kHashCrc32);
    EXPECT_EQ(file.HashValue[0], 0x0D);
    EXPECT_EQ(file.HashValue[3], 0xCA);
    EXPECT_TRUE(file.IsEncrypted);
    EXPECT_TRUE(file.HostOS.empty());
    EXPECT_EQ(file.UnpackVersion, 0u);
    // A folder without stored attributes still counts as a folder.
    EXPECT_TRUE(l.items[1].IsDirectory);
    EXPECT_EQ(l.items[1].Attributes, kAttrDirectory);
    EXPECT_EQ(test::ascii_text(l.summary.FormatName), "7-Zip");
    EXPECT_FALSE(l.summary.HeadersEncrypted);

    // What the library saw of our objects: the set's size, its first bytes, and only the
    // interfaces the objects claim.
    EXPECT_EQ(state.stream_size, 206u);
    EXPECT_EQ(state.first_bytes[0], 0x37);
    EXPECT_EQ(state.first_bytes[1], 0x7A);
    EXPECT_EQ(state.other_stream_query, kENoInterface);
    EXPECT_EQ(state.bad_origin_seek, kStgInvalidFunction);
    EXPECT_EQ(state.own_callback_query, kENoInterface);
    EXPECT_EQ(state.volume_property, kEFail);
    // Loaded twice (the first load only for the class identifier), once kept.
    EXPECT_EQ(state.loads, 2);
    EXPECT_EQ(state.creates, 1);
}

TEST_F(OddLibraryTest, PasswordRequestEndsTheListingAtOnce) {
    state.ask_password = true;
    Listing l = list();
    EXPECT_EQ(l.results, std::vector<int>{kItemBreakOrEncrypted});
    EXPECT_EQ(state.password_answer, kSFalse);
    EXPECT_TRUE(state.password_cleared);
    EXPECT_TRUE(l.summary.HeadersEncrypted);
}

TEST_F(OddLibraryTest, UnusableLibrariesEndTheListingQuietly) {
    struct Case {
        const char* what;
        void (*set)(Fake&);
    } cases[] = {
        {"no GetHandlerProperty", [](Fake& f) { f.export_handler = false; }},
        {"no CreateObject", [](Fake& f) { f.export_create = false; }},
        {"no VariantClear", [](Fake& f) { f.export_clear = false; }},
        {"GetHandlerProperty fails", [](Fake& f) { f.handler_result = kEFail; }},
        {"class identifier too short", [](Fake& f) { f.class_id_bytes = 15; }},
        {"CreateObject fails", [](Fake& f) { f.create_result = kENoInterface; }},
        {"CreateObject gives no object", [](Fake& f) { f.null_object = true; }},
        {"open fails", [](Fake& f) { f.open_result = kEFail; }},
        {"open answers S_FALSE", [](Fake& f) { f.open_result = kSFalse; }},
        {"item count fails", [](Fake& f) { f.count_result = kEFail; }},
    };
#if defined(_WIN32)
    // On Windows the system releases the library's strings when it exports no VariantClear.
    const char* skipped = "no VariantClear";
#else
    const char* skipped = "";
#endif
    for (const Case& c : cases) {
        if (std::strcmp(c.what, skipped) == 0) continue;
        SCOPED_TRACE(c.what);
        state = Fake{};
        c.set(state);
        Listing l = list();
        EXPECT_EQ(l.results, std::vector<int>{kItemDamagedSource});
        EXPECT_EQ(test::ascii_text(l.summary.FormatName), "7-Zip");
        EXPECT_FALSE(l.summary.HeadersEncrypted);
        EXPECT_EQ(state.loads, state.unloads);
        EXPECT_EQ(state.strings_live, 0);
        EXPECT_EQ(state.archive_refs, 0);
    }
}

TEST_F(OddLibraryTest, OddItemsAndProperties) {
    state.count = 0;
    EXPECT_EQ(list().results, std::vector<int>{kNoMoreItems});

    // No stored path: named after the archive, without its last extension.
    state = Fake{};
    state.path_kind = PathKind::kEmpty;
    Listing l = list();
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[0].Name, u"odd.name");

    state = Fake{};
    state.path_kind = PathKind::kNullString;
    l = list();
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[0].Name, u"");

    state = Fake{};
    state.path_kind = PathKind::kNumber;
    EXPECT_EQ(list().results, std::vector<int>{kItemDamagedSource});

    state = Fake{};
    state.path_result = kEFail;
    EXPECT_EQ(list().results, std::vector<int>{kItemDamagedSource});

    // Every other property failing leaves the item with zeros.
    state = Fake{};
    state.other_properties_fail = true;
    l = list();
    ASSERT_EQ(l.items.size(), 2u);
    EXPECT_EQ(l.items[0].Name, u"dir/file.txt");
    EXPECT_EQ(l.items[0].UnpackedSize, 0u);
    EXPECT_EQ(l.items[0].HashKind, kHashNone);
    EXPECT_FALSE(l.items[0].IsEncrypted);
}

TEST_F(OddLibraryTest, NameWithoutDotGetsOutAppended) {
    std::string bytes(head.begin(), head.end());
    ASSERT_TRUE(scratch.write_file(u"nodot", bytes));
    path = scratch / u"nodot";
    state.path_kind = PathKind::kEmpty;
    state.count = 1;
    Listing l = list();
    ASSERT_EQ(l.items.size(), 1u);
    EXPECT_EQ(l.items[0].Name, u"nodot.out");
}

// Through the analysis: an archive whose library lists nothing is still a 7-Zip archive.
TEST_F(OddLibraryTest, AnalysisOfAnArchiveWithNoItems) {
    state.count = 0;
    ArchiveAnalysis analysis;
    analysis.registry().ensure_created(&process_reader_options());
    analysis.registry().replace_reader(kSevenZipReaderIndex, std::make_unique<SevenZipReader>(nullptr, fake_access()));
    ASSERT_EQ(analysis.Analyze(path, false, 0), kAnalyzeArchive);
    EXPECT_EQ(analysis.summary().ReaderIndex, static_cast<std::uint32_t>(kSevenZipReaderIndex));
    EXPECT_EQ(analysis.summary().ItemCount, 0);
    EXPECT_EQ(test::ascii_text(analysis.summary().FormatName), "7-Zip");
}

}  // namespace
}  // namespace kub::sevenzip
