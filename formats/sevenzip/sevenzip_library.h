#pragma once
// The boundary to 7-Zip's extraction library, "7zxa.dll" beside the archiver (natively 7-Zip's
// 7z.so serves under that name). Everything that knows the library lives here: its exports, the
// identifiers and slot layouts of the interfaces exchanged with it, its property ids and value
// types, and its string type. The rest of the reader sees items as ItemHeader records.
//
// Interfaces are declared as tables of plain function pointers taking the object first. That is
// how the library's C++ objects are laid out on both platforms (no virtual destructor in their
// base interface), and it keeps our calls free of any assumption about C++ class layout.
//
// Strings: the library's wide character is wchar_t: UTF-16 on Windows, UTF-32 natively (4 bytes).
// Its strings (BSTR) carry a 32-bit byte length in front and are released by the library's
// VariantClear (natively an export of the library; on Windows the system's).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/os/os_module.h"
#include "formats/archive_reader.h"

namespace kub::sevenzip {

class PartSetStream;

using HResult = std::int32_t;
inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kEOutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult kStgInvalidFunction = static_cast<HResult>(0x80030001u);
inline constexpr HResult kNegativeSeek = static_cast<HResult>(0x80070083u);  // from Win32 error 131

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// {23170F69-40C1-278A-0000-00gg00ss0000}: the library's interfaces by group and sub-id.
constexpr Guid library_interface_id(std::uint8_t group, std::uint8_t sub) {
    return Guid{0x23170F69, 0x40C1, 0x278A, {0, 0, 0, group, 0, sub, 0, 0}};
}
inline constexpr Guid kIidInArchive = library_interface_id(0x06, 0x60);
inline constexpr Guid kIidOpenVolumeCallback = library_interface_id(0x06, 0x30);
inline constexpr Guid kIidGetTextPassword = library_interface_id(0x05, 0x10);
inline constexpr Guid kIidStreamGetSize = library_interface_id(0x03, 0x06);

bool same_guid(const Guid& a, const Guid& b);

using LibraryChar = wchar_t;
using Bstr = LibraryChar*;

enum VarType : std::uint16_t {
    kVtEmpty = 0,
    kVtBstr = 8,
    kVtBool = 11,
    kVtUi1 = 17,
    kVtUi2 = 18,
    kVtUi4 = 19,
    kVtUi8 = 21,
    kVtFiletime = 64,
};

// A property value. The payload is padded to the size of the system's PROPVARIANT, so whatever
// the library or the system's VariantClear touches lies inside the record.
struct PropVariant {
    std::uint16_t vt = kVtEmpty;
    std::uint16_t reserved1 = 0, reserved2 = 0, reserved3 = 0;
    union {
        std::uint8_t ui1;
        std::uint16_t ui2;
        std::uint32_t ui4;
        std::uint64_t ui8;
        std::int16_t boolean;
        struct {
            std::uint32_t low, high;
        } filetime;
        Bstr bstr;
        void* padding[2] = {nullptr, nullptr};
    };
};

// Property ids: those of the handler (GetHandlerProperty) and those of an item.
inline constexpr std::uint32_t kHandlerClassId = 1;
enum ItemProperty : std::uint32_t {
    kPropPath = 3,
    kPropIsDirectory = 6,
    kPropSize = 7,
    kPropPackedSize = 8,
    kPropAttributes = 9,
    kPropModTime = 12,
    kPropCrc = 19,
    kPropMethod = 22,
};

// Interface tables, slot by slot.
struct UnknownSlots {
    HResult (*query_interface)(void* self, const Guid* iid, void** out);
    std::uint32_t (*add_ref)(void* self);
    std::uint32_t (*release)(void* self);
};
struct InArchiveSlots {
    UnknownSlots unknown;
    HResult (*open)(void* self, void* stream, const std::uint64_t* max_check_start, void* callback);
    HResult (*close)(void* self);
    HResult (*get_number_of_items)(void* self, std::uint32_t* count);
    HResult (*get_property)(void* self, std::uint32_t index, std::uint32_t prop_id, PropVariant* value);
};
struct InStreamSlots {
    UnknownSlots unknown;
    HResult (*read)(void* self, void* data, std::uint32_t size, std::uint32_t* processed);
    HResult (*seek)(void* self, std::int64_t offset, std::uint32_t origin, std::uint64_t* new_position);
    HResult (*read_again)(void* self, void* data, std::uint32_t size, std::uint32_t* processed);
};
struct StreamGetSizeSlots {
    UnknownSlots unknown;
    HResult (*get_size)(void* self, std::uint64_t* size);
};
struct OpenCallbackSlots {
    UnknownSlots unknown;
    HResult (*set_total)(void* self, const std::uint64_t* files, const std::uint64_t* bytes);
    HResult (*set_completed)(void* self, const std::uint64_t* files, const std::uint64_t* bytes);
};
struct OpenVolumeCallbackSlots {
    UnknownSlots unknown;
    HResult (*get_property)(void* self, std::uint32_t prop_id, PropVariant* value);
    HResult (*get_stream)(void* self, const LibraryChar* name, void** stream);
};
struct GetTextPasswordSlots {
    UnknownSlots unknown;
    HResult (*get_password)(void* self, Bstr* password);
};

// The exports, by name.
inline constexpr const char* kGetHandlerPropertyExport = "GetHandlerProperty";
inline constexpr const char* kCreateObjectExport = "CreateObject";
inline constexpr const char* kVariantClearExport = "VariantClear";
using GetHandlerPropertyFunction = HResult (*)(std::uint32_t prop_id, PropVariant* value);
using CreateObjectFunction = HResult (*)(const Guid* class_id, const Guid* iid, void** object);
using VariantClearFunction = HResult (*)(PropVariant* value);

// The library's file name, beside the archiver's executable.
inline constexpr std::u16string_view kLibraryName = u"7zxa.dll";

// The library's full path: the folder of the archiver's App Paths entry and kLibraryName, when
// that file exists. Empty when the entry is missing or the file is not there: the library is
// never looked for by its bare name.
std::u16string find_installed_library();

// How the library is had: loaded (once per call), its exports found, and unloaded. Tests put a
// stand-in library here.
struct LibraryAccess {
    std::function<os::ModuleHandle()> load;
    std::function<void*(os::ModuleHandle, const char*)> find_export;
    std::function<void(os::ModuleHandle)> unload;
};

// The library found by find_installed_library, loaded through the operating-system layer.
LibraryAccess installed_library_access();

// Text the library handed over, as UTF-16 cut to `capacity` units (terminator included); a null
// string reads as empty. Read only up to its terminator or the cut.
std::u16string from_library_text(const LibraryChar* text, std::size_t capacity);

enum class OpenOutcome {
    kOpened,
    kUnusable,           // no library, a missing export, a failing call, a damaged archive
    kPasswordRequested,  // the library asked for a password: the headers are encrypted
};

// The library holder: the module kept loaded and the archive object opened on the stream.
// Destroying it releases the archive object (and with it the stream), then unloads the module.
class LibraryArchive {
public:
    explicit LibraryArchive(LibraryAccess access);
    ~LibraryArchive();
    LibraryArchive(const LibraryArchive&) = delete;
    LibraryArchive& operator=(const LibraryArchive&) = delete;

    // Loads the library and opens the archive on `stream` (taken over).
    OpenOutcome open(std::unique_ptr<PartSetStream> stream);
    // Whether the library asked for a password while opening.
    bool password_requested() const { return password_requested_; }
    std::uint32_t item_count() const { return item_count_; }

    // Fills `item` from the properties of item `index`: kItemRead, or kItemDamagedSource when the
    // path cannot be had. `archive_path` names an item the library gives no path.
    int read_item(std::uint32_t index, std::u16string_view archive_path, ItemHeader& item);

private:
    HResult property(std::uint32_t index, std::uint32_t prop_id, PropVariant& value);
    void clear(PropVariant& value);
    void release();

    LibraryAccess access_;
    os::ModuleHandle module_ = nullptr;
    void* archive_ = nullptr;
    VariantClearFunction variant_clear_ = nullptr;
    std::uint32_t item_count_ = 0;
    bool password_requested_ = false;
};

}  // namespace kub::sevenzip
