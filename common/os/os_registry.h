#pragma once
// The registry: keys opened relative to a root or to another open key, values read and written as
// bytes with their type, subkeys enumerated by index. Results are the system's own error codes, so
// callers can test for "access denied" the way Windows reports it; the native build keeps an
// in-memory tree that answers with the same codes.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kub::os {

enum class RegistryRoot : std::uint8_t { kClassesRoot, kCurrentUser, kLocalMachine, kUsers };

// A system error code: 0 is success.
using RegStatus = std::uint32_t;
inline constexpr RegStatus kRegOk = 0;
inline constexpr RegStatus kRegNotFound = 2;      // missing key or value
inline constexpr RegStatus kRegAccessDenied = 5;  // also: deleting a key that has subkeys
inline constexpr RegStatus kRegInvalidParameter = 87;
inline constexpr RegStatus kRegBadPathName = 161;  // a key path starting with a backslash
inline constexpr RegStatus kRegMoreData = 234;     // the value or name does not fit the buffer
inline constexpr RegStatus kRegNoMoreItems = 259;  // enumeration index past the last subkey
inline constexpr RegStatus kRegKeyDeleted = 1018;  // the open key has been deleted

// Access rights, with the system's values.
inline constexpr std::uint32_t kRegQueryValue = 0x0001;
inline constexpr std::uint32_t kRegSetValue = 0x0002;
inline constexpr std::uint32_t kRegCreateSubKey = 0x0004;
inline constexpr std::uint32_t kRegEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kRegNotify = 0x0010;
inline constexpr std::uint32_t kRegRead = 0x20019;
inline constexpr std::uint32_t kRegWrite = 0x20006;
// Added to an access mask: the key lies in the 32-bit view of the registry (HKLM\Software and
// HKCR\CLSID keys are then redirected into their "Wow6432Node").
inline constexpr std::uint32_t kRegView32 = 0x0200;

enum class RegValueType : std::uint32_t {
    kNone = 0,
    kString = 1,        // REG_SZ
    kExpandString = 2,  // REG_EXPAND_SZ
    kBinary = 3,        // REG_BINARY
    kDword = 4,         // REG_DWORD, little-endian
    kMultiString = 7,   // REG_MULTI_SZ
};

// Subkey names are at most this long (the system's own limit).
inline constexpr std::size_t kMaxRegKeyNameLength = 255;

// An open key, closed when the object goes. A root key is not owned by anyone and is never
// really closed.
class RegKey {
  public:
    RegKey() noexcept = default;
    RegKey(RegKey&& other) noexcept : handle_(other.handle_), owned_(other.owned_) {
        other.handle_ = nullptr;
        other.owned_ = false;
    }
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = other.handle_;
            owned_ = other.owned_;
            other.handle_ = nullptr;
            other.owned_ = false;
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { close(); }

    static RegKey root(RegistryRoot which);

    bool is_open() const noexcept { return handle_ != nullptr; }
    void close() noexcept;

    // For the implementations of this header only.
    void* native_handle() const noexcept { return handle_; }
    static RegKey adopt(void* handle, bool owned) noexcept {
        RegKey key;
        key.handle_ = handle;
        key.owned_ = owned;
        return key;
    }

  private:
    void* handle_ = nullptr;
    bool owned_ = false;
};

// Opens the key at path below parent ("a\b\c"; the empty path opens parent itself again).
RegStatus reg_open_key(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                       RegKey& key);

// Opens the key at path, creating it and any missing keys on the way.
RegStatus reg_create_key(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                         RegKey& key);

// Reads a value (the empty name is the key's default value). On success size is the stored size
// in bytes and the bytes are in buffer. When buffer is too small the result is kRegMoreData and
// size the size needed; a buffer with no data pointer asks for the type and size only.
RegStatus reg_query_value(const RegKey& key, std::u16string_view name, RegValueType& type,
                          std::span<std::byte> buffer, std::uint32_t& size);

RegStatus reg_set_value(const RegKey& key, std::u16string_view name, RegValueType type,
                        std::span<const std::byte> data);

RegStatus reg_delete_value(const RegKey& key, std::u16string_view name);

// The name of the index-th subkey. capacity counts characters with the terminator, as the system
// does: a name of capacity characters or more gives kRegMoreData.
RegStatus reg_enum_key(const RegKey& key, std::uint32_t index, std::size_t capacity,
                       std::u16string& name);

// The name of the index-th value of the key (the default value's name is empty), with the same
// capacity rule as reg_enum_key. The order is the system's; callers that compare sort it.
RegStatus reg_enum_value(const RegKey& key, std::uint32_t index, std::size_t capacity,
                         std::u16string& name);

// Deletes the key at path below parent, which must have no subkeys. view is 0 or kRegView32.
RegStatus reg_delete_key(const RegKey& parent, std::u16string_view path, std::uint32_t view);

// Whether anything below a key has changed since the watch was armed: a value written or
// deleted, a subkey made or deleted, the key itself deleted. The system signals a Windows watch
// (also when the thread that armed it ends: a watch then only says "changed" too often); the
// native registry counts its changes, of any key.
class RegChangeWatch {
  public:
    RegChangeWatch() = default;
    ~RegChangeWatch();
    RegChangeWatch(const RegChangeWatch&) = delete;
    RegChangeWatch& operator=(const RegChangeWatch&) = delete;

    // Watches the key from now on: its values and subkeys, with `subtree` everything below it.
    // The key must stay open as long as the watch is used (opened with kRegNotify). False when
    // the system refuses: changed() then says true.
    bool arm(const RegKey& key, bool subtree);
    // True when a change may have happened since the last successful arm, or there was none.
    bool changed() const;

  private:
#if defined(_WIN32)
    void* event_ = nullptr;  // the system's change event
#else
    std::uint64_t seen_ = 0;  // the native registry's change count when armed
#endif
    bool armed_ = false;
};

#if !defined(_WIN32)
// The native registry lives in memory for the life of the process. It can be filled from and
// written to a UTF-8 text file (format described in common/os/posix/registry_file.cpp), so a tool
// run can be given settings. Loading adds to what is there; a malformed line stops the load and
// is described in error.
bool load_registry_file(const std::string& path, std::string& error);
bool save_registry_file(const std::string& path);
// Empties every root.
void clear_registry();
// Makes an existing key refuse writes as a key the user may only read does: opening it for
// writing, creating keys below it, deleting it and changing its values are denied
// (kRegAccessDenied). False when the key does not exist.
bool set_registry_key_read_only(RegistryRoot root, std::u16string_view path, bool read_only);
#endif

}  // namespace kub::os
