#pragma once
// A fresh folder under the system's temporary folder for one test, removed with everything in it
// when the test ends.
#include <string>
#include <string_view>

namespace kub::test {

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, with a trailing separator; empty when it could not be made.
    const std::u16string& path() const { return path_; }
    // path() followed by a relative name.
    std::u16string operator/(std::u16string_view name) const {
        return path_ + std::u16string(name);
    }
    // Creates (or replaces) a file with the given bytes; false when it cannot.
    bool write_file(std::u16string_view name, std::string_view bytes) const;
    bool make_folder(std::u16string_view name) const;

  private:
    std::u16string path_;
};

// Removes a file or a folder tree; paths beyond the normal length are fine.
void remove_tree(const std::u16string& path);

}  // namespace kub::test
