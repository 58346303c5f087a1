// make_menu_images OUTPUT_FOLDER
// Draws the built-in menu images of Kubext.dll and writes them as the files the resource compiler
// takes: menu_bitmap.bmp (13 x 13, 8 bits per pixel, black background that the extension turns
// into the menu colour) and menu_icon.ico (16, 32 and 48 pixels, each with 256 and with 16
// colours). The motif is a strapped cardboard box: lid, body with a shaded side, a blue strap and
// a clasp. It is drawn from fractions of the image size, so every size comes from one drawing.
//
// A build-time tool for the host: plain C++ with the standard library only.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What a pixel shows; the palettes below give each role its colour.
enum Role : std::uint8_t {
    kBackground,
    kOutline,
    kBody,
    kBodyShade,
    kLid,
    kStrap,
    kStrapLight,
    kClasp,
    kRoleCount
};

struct Rgb {
    std::uint8_t r, g, b;
};

// 256-colour images: the colours of the drawing. Background is black: in the bitmap the extension
// replaces it by the menu colour, in the icons the mask hides it.
constexpr std::array<Rgb, kRoleCount> kFullColours = {{
    {0, 0, 0},
    {92, 58, 18},
    {206, 150, 70},
    {172, 120, 48},
    {232, 184, 104},
    {56, 96, 176},
    {112, 152, 224},
    {250, 222, 96},
}};

// 16-colour images: the nearest colours of the standard 16-colour palette.
constexpr std::array<Rgb, 16> kStandard16 = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};
constexpr std::array<std::uint8_t, kRoleCount> kStandard16Index = {0, 1, 3, 3, 11, 4, 12, 15};

using Image = std::vector<std::vector<Role>>;  // [row][column], top row first

// A rectangle in fractions of the image size; a pixel belongs to it when its centre does.
struct Box {
    double left, top, right, bottom;
};

constexpr Box kLidBox{0.06, 0.16, 0.94, 0.40};
constexpr Box kBodyBox{0.12, 0.38, 0.88, 0.92};
constexpr Box kStrapBox{0.42, 0.16, 0.58, 0.92};
constexpr double kShadeFrom = 0.66;  // the body's right side is in shade from here

int edge(double fraction, int size) {
    return static_cast<int>(std::lround(fraction * size));
}

bool inside(const Box& box, int x, int y, int size) {
    return x >= edge(box.left, size) && x < edge(box.right, size) && y >= edge(box.top, size) &&
           y < edge(box.bottom, size);
}

// Fills the box and draws its border, `line` pixels thick, in the outline colour.
void draw_box(Image& image, const Box& box, Role fill, int line) {
    const int size = static_cast<int>(image.size());
    const int left = edge(box.left, size), right = edge(box.right, size);
    const int top = edge(box.top, size), bottom = edge(box.bottom, size);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const bool border =
                x < left + line || x >= right - line || y < top + line || y >= bottom - line;
            image[y][x] = border ? kOutline : fill;
        }
    }
}

Image draw(int size) {
    Image image(size, std::vector<Role>(size, kBackground));
    const int line = std::max(1, size / 16);
    draw_box(image, kBodyBox, kBody, line);
    for (int y = 0; y < size; ++y) {
        for (int x = edge(kShadeFrom, size); x < size; ++x) {
            if (image[y][x] == kBody) image[y][x] = kBodyShade;
        }
    }
    draw_box(image, kLidBox, kLid, line);
    // The strap runs over lid and body but leaves their outlines visible.
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (!inside(kStrapBox, x, y, size) || image[y][x] == kOutline) continue;
            const bool light = x < edge(kStrapBox.left, size) + line;
            image[y][x] = light ? kStrapLight : kStrap;
        }
    }
    // The clasp sits on the strap where lid meets body.
    const int clasp = std::max(1, size / 8);
    const int centre_x = (edge(kStrapBox.left, size) + edge(kStrapBox.right, size)) / 2;
    const int centre_y = edge(kLidBox.bottom, size);
    for (int y = centre_y - clasp; y < centre_y + clasp - (size < 16 ? 1 : 0); ++y) {
        for (int x = centre_x - clasp / 2 - 1; x <= centre_x + clasp / 2; ++x) {
            if (x >= 0 && x < size && y >= 0 && y < size) image[y][x] = kClasp;
        }
    }
    return image;
}

class Bytes {
  public:
    void u8(unsigned v) { data_.push_back(static_cast<char>(v & 0xFF)); }
    void u16(unsigned v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void append(const Bytes& other) {
        data_.insert(data_.end(), other.data_.begin(), other.data_.end());
    }
    std::size_t size() const { return data_.size(); }
    const std::vector<char>& data() const { return data_; }

  private:
    std::vector<char> data_;
};

std::uint32_t row_stride(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

void info_header(Bytes& out, int width, int height, int bits, std::uint32_t image_bytes) {
    out.u32(40);
    out.u32(static_cast<std::uint32_t>(width));
    out.u32(static_cast<std::uint32_t>(height));
    out.u16(1);
    out.u16(static_cast<unsigned>(bits));
    out.u32(0);  // BI_RGB
    out.u32(image_bytes);
    out.u32(0);
    out.u32(0);
    out.u32(0);  // every palette entry of the bit depth is present
    out.u32(0);
}

// The palette of an 8-bit image: the drawing's colours first, then a grey ramp, so black occurs
// once and only the background maps to the menu colour.
void palette_256(Bytes& out) {
    for (unsigned i = 0; i < 256; ++i) {
        Rgb c{};
        if (i < kRoleCount) {
            c = kFullColours[i];
        } else {
            const auto grey =
                static_cast<std::uint8_t>(8 + (i - kRoleCount) * 247 / (255 - kRoleCount));
            c = {grey, grey, grey};
        }
        out.u8(c.b);
        out.u8(c.g);
        out.u8(c.r);
        out.u8(0);
    }
}

void palette_16(Bytes& out) {
    for (const Rgb& c : kStandard16) {
        out.u8(c.b);
        out.u8(c.g);
        out.u8(c.r);
        out.u8(0);
    }
}

unsigned pixel_index(Role role, int bits) {
    return bits == 8 ? static_cast<unsigned>(role) : kStandard16Index[role];
}

// Rows bottom-up, as a positive height in the header says.
void pixel_rows(Bytes& out, const Image& image, int bits) {
    const int size = static_cast<int>(image.size());
    const std::uint32_t stride = row_stride(size, bits);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < size; ++x) {
            const unsigned index = pixel_index(image[y][x], bits);
            if (bits == 8) {
                row[x] = static_cast<std::uint8_t>(index);
            } else {
                row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
            }
        }
        for (std::uint8_t b : row) out.u8(b);
    }
}

// The icon's transparency mask: a set bit lets the background through.
void mask_rows(Bytes& out, const Image& image) {
    const int size = static_cast<int>(image.size());
    const std::uint32_t stride = row_stride(size, 1);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < size; ++x) {
            if (image[y][x] == kBackground)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        for (std::uint8_t b : row) out.u8(b);
    }
}

Bytes bitmap_file(int size) {
    const Image image = draw(size);
    Bytes body;
    const std::uint32_t pixels = row_stride(size, 8) * static_cast<std::uint32_t>(size);
    info_header(body, size, size, 8, pixels);
    palette_256(body);
    pixel_rows(body, image, 8);
    Bytes out;
    out.u8('B');
    out.u8('M');
    out.u32(static_cast<std::uint32_t>(14 + body.size()));
    out.u32(0);
    out.u32(14 + 40 + 256 * 4);
    out.append(body);
    return out;
}

Bytes icon_image(int size, int bits) {
    const Image image = draw(size);
    Bytes out;
    const std::uint32_t bytes =
        (row_stride(size, bits) + row_stride(size, 1)) * static_cast<std::uint32_t>(size);
    info_header(out, size, size * 2, bits, bytes);  // the height counts colour rows and mask rows
    if (bits == 8) {
        palette_256(out);
    } else {
        palette_16(out);
    }
    pixel_rows(out, image, bits);
    mask_rows(out, image);
    return out;
}

Bytes icon_file() {
    struct Entry {
        int size, bits;
    };
    constexpr std::array<Entry, 6> kEntries = {
        {{16, 8}, {32, 8}, {48, 8}, {16, 4}, {32, 4}, {48, 4}}};
    std::vector<Bytes> images;
    for (const Entry& e : kEntries) images.push_back(icon_image(e.size, e.bits));

    Bytes out;
    out.u16(0);
    out.u16(1);  // icon
    out.u16(kEntries.size());
    std::uint32_t offset = 6 + 16 * kEntries.size();
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        out.u8(static_cast<unsigned>(kEntries[i].size));
        out.u8(static_cast<unsigned>(kEntries[i].size));
        out.u8(kEntries[i].bits == 4 ? 16 : 0);  // colour count, 0 for 256
        out.u8(0);
        out.u16(1);
        out.u16(static_cast<unsigned>(kEntries[i].bits));
        out.u32(static_cast<std::uint32_t>(images[i].size()));
        out.u32(offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const Bytes& image : images) out.append(image);
    return out;
}

bool write(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data().data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_menu_images OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    constexpr int kBitmapSize = 13;
    if (!write(folder + "/menu_bitmap.bmp", bitmap_file(kBitmapSize)) ||
        !write(folder + "/menu_icon.ico", icon_file())) {
        std::fprintf(stderr, "make_menu_images: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
