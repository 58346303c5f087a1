#include "formats/sevenzip/sevenzip_library.h"

#include <atomic>
#include <cstring>
#include <new>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#endif

#include "common/files/file_helpers.h"
#include "common/files/path_ops.h"
#include "common/registry/app_paths.h"
#include "common/registry/registry_access.h"
#include "formats/sevenzip/part_set_stream.h"

namespace kub::sevenzip {

static_assert(sizeof(Guid) == 16);
static_assert(sizeof(PropVariant) == 24, "the size of the system's PROPVARIANT");
#if defined(_WIN32)
static_assert(sizeof(LibraryChar) == 2, "Windows wide text is UTF-16");
#else
static_assert(sizeof(LibraryChar) == 4, "the library's native wide text is UTF-32");
#endif

namespace {

// The archive may sit behind a self-extracting module this long.
constexpr std::uint64_t kMaxCheckStart = 1024 * 1024;
constexpr std::u16string_view kEncryptionMethod = u"7zAES";
constexpr char16_t kReplacementCharacter = 0xFFFD;

// ---- The objects handed to the library ----
//
// Each interface of an object is a face: the slot table the library calls through and a pointer
// back to the object. Nothing escapes a slot: every one is noexcept and answers an error instead.

template <typename Object>
struct Face {
    const void* slots;
    Object* owner;
};

template <typename Object>
Object* owner_of(void* face) {
    return static_cast<Face<Object>*>(face)->owner;
}

// Reference counting shared by the objects; the count starts at one, the creator's reference.
template <typename Object>
std::uint32_t face_add_ref(void* face) noexcept {
    return ++owner_of<Object>(face)->references;
}
template <typename Object>
std::uint32_t face_release(void* face) noexcept {
    Object* object = owner_of<Object>(face);
    std::uint32_t left = --object->references;
    if (left == 0) delete object;
    return left;
}

// The input stream over the archive file or the parts of a set.
struct InputStream {
    explicit InputStream(std::unique_ptr<PartSetStream> parts_in) : parts(std::move(parts_in)) {}
    Face<InputStream> primary{nullptr, this};
    Face<InputStream> size_face{nullptr, this};
    std::atomic<std::uint32_t> references{1};
    std::unique_ptr<PartSetStream> parts;
};

HResult stream_query(void* face, const Guid* iid, void** out) noexcept {
    if (!out) return kENoInterface;
    *out = nullptr;
    if (!iid || !same_guid(*iid, kIidStreamGetSize)) return kENoInterface;
    InputStream* stream = owner_of<InputStream>(face);
    *out = &stream->size_face;
    ++stream->references;
    return kSOk;
}

HResult stream_read(void* face, void* data, std::uint32_t size, std::uint32_t* processed) noexcept {
    std::uint32_t got = 0;
    StreamStatus status = StreamStatus::kReadFailed;
    try {
        if (data || size == 0) status = owner_of<InputStream>(face)->parts->read(data, size, got);
    } catch (...) {
        status = StreamStatus::kReadFailed;
    }
    if (processed) *processed = got;
    return status == StreamStatus::kOk ? kSOk : kEFail;
}

HResult stream_seek(void* face, std::int64_t offset, std::uint32_t origin, std::uint64_t* new_position) noexcept {
    if (origin > 2) return kStgInvalidFunction;
    std::uint64_t position = 0;
    StreamStatus status = owner_of<InputStream>(face)->parts->seek(offset, static_cast<SeekOrigin>(origin), position);
    if (status != StreamStatus::kOk) return kNegativeSeek;
    if (new_position) *new_position = position;
    return kSOk;
}

HResult stream_get_size(void* face, std::uint64_t* size) noexcept {
    if (!size) return kEFail;
    *size = owner_of<InputStream>(face)->parts->size();
    return kSOk;
}

constexpr InStreamSlots kInStreamSlots = {
    {stream_query, face_add_ref<InputStream>, face_release<InputStream>}, stream_read, stream_seek, stream_read};
constexpr StreamGetSizeSlots kStreamGetSizeSlots = {
    {stream_query, face_add_ref<InputStream>, face_release<InputStream>}, stream_get_size};

// The open callback. It holds no password: a request for one is recorded and refused, so an
// archive with encrypted headers fails to open at once and nobody is asked.
struct OpenCallback {
    Face<OpenCallback> primary{nullptr, this};
    Face<OpenCallback> volume_face{nullptr, this};
    Face<OpenCallback> password_face{nullptr, this};
    std::atomic<std::uint32_t> references{1};
    std::atomic<bool> password_requested{false};
};

HResult callback_query(void* face, const Guid* iid, void** out) noexcept {
    if (!out) return kENoInterface;
    *out = nullptr;
    if (!iid) return kENoInterface;
    OpenCallback* callback = owner_of<OpenCallback>(face);
    if (same_guid(*iid, kIidOpenVolumeCallback)) {
        *out = &callback->volume_face;
    } else if (same_guid(*iid, kIidGetTextPassword)) {
        *out = &callback->password_face;
    } else {
        return kENoInterface;
    }
    ++callback->references;
    return kSOk;
}

HResult callback_progress(void*, const std::uint64_t*, const std::uint64_t*) noexcept { return kSOk; }

HResult volume_get_property(void*, std::uint32_t, PropVariant*) noexcept { return kEFail; }

HResult volume_get_stream(void*, const LibraryChar*, void** stream) noexcept {
    if (stream) *stream = nullptr;
    return kEFail;
}

HResult callback_get_password(void* face, Bstr* password) noexcept {
    if (password) *password = nullptr;
    owner_of<OpenCallback>(face)->password_requested = true;
    return kSFalse;
}

constexpr OpenCallbackSlots kOpenCallbackSlots = {
    {callback_query, face_add_ref<OpenCallback>, face_release<OpenCallback>}, callback_progress, callback_progress};
constexpr OpenVolumeCallbackSlots kOpenVolumeCallbackSlots = {
    {callback_query, face_add_ref<OpenCallback>, face_release<OpenCallback>}, volume_get_property, volume_get_stream};
constexpr GetTextPasswordSlots kGetTextPasswordSlots = {
    {callback_query, face_add_ref<OpenCallback>, face_release<OpenCallback>}, callback_get_password};

// ---- Calls into the library's archive object ----

const InArchiveSlots& archive_slots(void* archive) { return **static_cast<const InArchiveSlots* const*>(archive); }

template <typename Function>
Function find(const LibraryAccess& access, os::ModuleHandle module, const char* name) {
    return reinterpret_cast<Function>(access.find_export(module, name));
}

#if defined(_WIN32)
HResult system_variant_clear(PropVariant* value) { return ::VariantClear(reinterpret_cast<VARIANTARG*>(value)); }
#endif

// The class identifier of the library's default format: a string of at least 16 bytes.
bool class_id_from(const PropVariant& value, Guid& class_id) {
    if (value.vt != kVtBstr || !value.bstr) return false;
    std::uint32_t byte_length = 0;
    std::memcpy(&byte_length, reinterpret_cast<const std::uint8_t*>(value.bstr) - sizeof byte_length,
                sizeof byte_length);
    if (byte_length < sizeof class_id) return false;
    std::memcpy(&class_id, value.bstr, sizeof class_id);
    return true;
}

bool is_simple(std::uint16_t vt) {
    switch (vt) {
        case kVtEmpty:
        case kVtBool:
        case kVtUi1:
        case kVtUi2:
        case kVtUi4:
        case kVtUi8:
        case kVtFiletime:
            return true;
        default:
            return false;
    }
}

// An unsigned number of any width; 0 for any other type.
std::uint64_t number_of(const PropVariant& value) {
    switch (value.vt) {
        case kVtUi1: return value.ui1;
        case kVtUi2: return value.ui2;
        case kVtUi4: return value.ui4;
        case kVtUi8: return value.ui8;
        default: return 0;
    }
}

// The archive's file name without its last extension, or with ".out" added when it has none.
std::u16string name_from_archive(std::u16string_view archive_path) {
    std::u16string name(name_part(archive_path));
    std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos) {
        name.resize(dot);
    } else if (name.size() + 4 < kItemNameCapacity) {
        name += u".out";
    }
    return name;
}

}  // namespace

bool same_guid(const Guid& a, const Guid& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::u16string from_library_text(const LibraryChar* text, std::size_t capacity) {
    std::u16string out;
    if (!text || capacity == 0) return out;
    std::size_t limit = capacity - 1;
    for (; *text && out.size() < limit; ++text) {
        auto unit = static_cast<std::uint32_t>(*text);
        if constexpr (sizeof(LibraryChar) == 2) {
            out.push_back(static_cast<char16_t>(unit));
        } else if (unit < 0x10000) {
            bool surrogate = unit >= 0xD800 && unit < 0xE000;
            out.push_back(surrogate ? kReplacementCharacter : static_cast<char16_t>(unit));
        } else if (unit <= 0x10FFFF) {
            if (out.size() + 2 > limit) break;
            unit -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (unit >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (unit & 0x3FF)));
        } else {
            out.push_back(kReplacementCharacter);
        }
    }
    return out;
}

std::u16string find_installed_library() {
    std::u16string path;
    if (!read_registry_string(RegistryRoot::kLocalMachine, kAppPathsKey, u"", path, u"", kPathCapacity))
        return {};
    std::size_t folder_end = path.find_last_of(u"\\/");
    if (folder_end == std::u16string::npos) return {};
    path.resize(folder_end + 1);
    path += kLibraryName;
    if (path.size() >= kPathCapacity || file_attributes(path) == os::kInvalidAttributes) return {};
    return path;
}

LibraryAccess installed_library_access() {
    LibraryAccess access;
    access.load = []() -> os::ModuleHandle {
        std::u16string path = find_installed_library();
        return path.empty() ? nullptr : os::load_code_library(path);
    };
    access.find_export = os::find_library_export;
    access.unload = os::free_code_library;
    return access;
}

LibraryArchive::LibraryArchive(LibraryAccess access) : access_(std::move(access)) {}

LibraryArchive::~LibraryArchive() { release(); }

void LibraryArchive::release() {
    if (archive_) {
        void* archive = std::exchange(archive_, nullptr);
        archive_slots(archive).unknown.release(archive);
    }
    if (module_) access_.unload(std::exchange(module_, nullptr));
    item_count_ = 0;
}

void LibraryArchive::clear(PropVariant& value) {
    if (!is_simple(value.vt) && variant_clear_) variant_clear_(&value);
    value = PropVariant{};
}

OpenOutcome LibraryArchive::open(std::unique_ptr<PartSetStream> parts) {
    release();
    password_requested_ = false;
    if (!parts || !access_.load || !access_.find_export || !access_.unload) return OpenOutcome::kUnusable;

    // The first load serves only to learn the class identifier of the library's default format;
    // it is dropped on every way out of here.
    os::ModuleHandle first = access_.load();
    if (!first) return OpenOutcome::kUnusable;
    auto unload_first = [this](os::ModuleHandle module) { access_.unload(module); };
    std::unique_ptr<void, decltype(unload_first)> first_load(first, unload_first);

    Guid class_id{};
    auto handler_property = find<GetHandlerPropertyFunction>(access_, first, kGetHandlerPropertyExport);
    variant_clear_ = find<VariantClearFunction>(access_, first, kVariantClearExport);
#if defined(_WIN32)
    if (!variant_clear_) variant_clear_ = system_variant_clear;
#endif
    // Natively nothing but the library itself can release its strings.
    if (!handler_property || !variant_clear_) return OpenOutcome::kUnusable;
    {
        PropVariant value;
        bool known = handler_property(kHandlerClassId, &value) == kSOk && class_id_from(value, class_id);
        clear(value);
        if (!known) return OpenOutcome::kUnusable;
    }

    // The second load is kept for the archive object's lifetime.
    module_ = access_.load();
    auto create_object = module_ ? find<CreateObjectFunction>(access_, module_, kCreateObjectExport) : nullptr;
    void* archive = nullptr;
    if (!create_object || create_object(&class_id, &kIidInArchive, &archive) != kSOk || !archive) {
        if (archive) archive_slots(archive).unknown.release(archive);
        release();
        return OpenOutcome::kUnusable;
    }
    archive_ = archive;

    auto* stream = new InputStream(std::move(parts));
    stream->primary.slots = &kInStreamSlots;
    stream->size_face.slots = &kStreamGetSizeSlots;
    OpenCallback* callback = nullptr;
    try {
        callback = new OpenCallback;
    } catch (...) {
        face_release<InputStream>(&stream->primary);
        throw;
    }
    callback->primary.slots = &kOpenCallbackSlots;
    callback->volume_face.slots = &kOpenVolumeCallbackSlots;
    callback->password_face.slots = &kGetTextPasswordSlots;

    std::uint64_t start = 0;
    stream_seek(&stream->primary, 0, 0, &start);
    const std::uint64_t max_check_start = kMaxCheckStart;
    HResult opened = archive_slots(archive_).open(archive_, &stream->primary, &max_check_start, &callback->primary);
    password_requested_ = callback->password_requested;
    face_release<OpenCallback>(&callback->primary);
    face_release<InputStream>(&stream->primary);

    std::uint32_t count = 0;
    if (opened != kSOk || archive_slots(archive_).get_number_of_items(archive_, &count) != kSOk) {
        release();
        return password_requested_ ? OpenOutcome::kPasswordRequested : OpenOutcome::kUnusable;
    }
    item_count_ = count;
    return OpenOutcome::kOpened;
}

HResult LibraryArchive::property(std::uint32_t index, std::uint32_t prop_id, PropVariant& value) {
    value = PropVariant{};
    return archive_slots(archive_).get_property(archive_, index, prop_id, &value);
}

int LibraryArchive::read_item(std::uint32_t index, std::u16string_view archive_path, ItemHeader& item) {
    if (!archive_ || index >= item_count_) return kItemDamagedSource;
    PropVariant value;

    if (property(index, kPropPath, value) != kSOk) {
        clear(value);
        return kItemDamagedSource;
    }
    if (value.vt == kVtEmpty) {
        item.Name = name_from_archive(archive_path);
    } else if (value.vt == kVtBstr) {
        item.Name = from_library_text(value.bstr, kItemNameCapacity);
    } else {
        clear(value);
        return kItemDamagedSource;
    }
    clear(value);

    item.UnpackedSize = property(index, kPropSize, value) == kSOk ? number_of(value) : 0;
    clear(value);
    item.PackedSize = property(index, kPropPackedSize, value) == kSOk ? number_of(value) : 0;
    clear(value);
    if (property(index, kPropIsDirectory, value) == kSOk && value.vt == kVtBool)
        item.IsDirectory = value.boolean != 0;
    clear(value);
    if (property(index, kPropAttributes, value) == kSOk && value.vt == kVtUi4) item.Attributes = value.ui4;
    clear(value);
    // A folder is counted as a folder even when the archive stores no attributes for it.
    if (item.IsDirectory) item.Attributes |= kAttrDirectory;
    if (property(index, kPropModTime, value) == kSOk && value.vt == kVtFiletime)
        item.ModTime = (static_cast<std::uint64_t>(value.filetime.high) << 32) | value.filetime.low;
    clear(value);
    if (property(index, kPropCrc, value) == kSOk && value.vt == kVtUi4) {
        item.HashKind = kHashCrc32;
        for (int i = 0; i < 4; ++i) item.HashValue[i] = static_cast<std::uint8_t>(value.ui4 >> (8 * i));
    }
    clear(value);
    if (property(index, kPropMethod, value) == kSOk && value.vt == kVtBstr) {
        std::u16string method = from_library_text(value.bstr, kPathCapacity);
        item.IsEncrypted = method.find(kEncryptionMethod) != std::u16string::npos;
    }
    clear(value);
    return kItemRead;
}

}  // namespace kub::sevenzip
