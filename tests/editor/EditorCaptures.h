// The editor as the Windows module shows it in a real window, against the same editor drawn
// without a window on Linux: the editor states both sides make, the text rectangles left out of
// the pixel comparison (the systems' fonts differ), and the BMP file that carries a capture from
// one side to the other (a file people can open, too). Plain C++, shared by both systems.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace editortest::capture
{

// One editor state: parameter values set before the editor opens, on top of factory program 0.
struct EditorState
{
    const char* name;
    std::vector<std::pair<int, float>> values;
};

inline void PrintTo(const EditorState& state, std::ostream* out)
{
    *out << state.name;
}

// Program 0 as it comes; then every knob away from its factory frame and both menus on other
// entries (TYPE "6", SYNC "2/1T").
inline const std::vector<EditorState>& editorStates()
{
    static const std::vector<EditorState> states = {
        {"program0", {}},
        {"turned",
         {{1, 0.9f},
          {2, 12.0f},
          {3, 0.1f},
          {4, 0.95f},
          {5, 0.6f},
          {6, 2.0f},
          {7, 0.0f},
          {8, 1.0f},
          {9, 0.2f}}},
    };
    return states;
}

// Inside the menus' one-pixel frames, SYNC then STAGE (x, y, width, height in the editor): the
// only places where the systems draw text. Everything else, the frames included, is fills and
// pictures, compared pixel for pixel.
struct Box
{
    int x, y, width, height;
    bool contains(int px, int py) const
    {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};
inline const std::vector<Box>& textBoxes()
{
    static const std::vector<Box> boxes = {{27, 107, 48, 14}, {123, 107, 48, 14}};
    return boxes;
}

// The capture of state `name`, as the Windows tests write it into `directory`.
inline std::string captureFile(const std::string& directory, const std::string& name)
{
    return directory + "/editor-" + name + ".bmp";
}

// A picture of 0x00RRGGBB pixels, rows top to bottom.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

namespace detail
{
inline void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
inline uint32_t get32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
constexpr uint32_t kHeaderBytes = 14 + 40;
} // namespace detail

// Writes a 32-bit top-down BMP; false when the file cannot be written.
inline bool writeBmp(const std::string& path, const Picture& picture)
{
    using namespace detail;
    const uint32_t bytes = static_cast<uint32_t>(picture.pixels.size()) * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, kHeaderBytes + bytes);
    put32(out, 0);
    put32(out, kHeaderBytes);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(picture.width));
    put32(out, static_cast<uint32_t>(-picture.height)); // negative: rows top to bottom
    put16(out, 1);
    put16(out, 32);
    put32(out, 0); // BI_RGB
    put32(out, bytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (uint32_t p : picture.pixels)
        put32(out, p & 0xFFFFFFu);
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    return file && std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
}

// Reads what writeBmp wrote (32-bit, uncompressed, top-down); an empty picture for anything else.
inline Picture readBmp(const std::string& path)
{
    using namespace detail;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return {};
    std::vector<uint8_t> in;
    uint8_t chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        in.insert(in.end(), chunk, chunk + n);
    if (in.size() < kHeaderBytes || in[0] != 'B' || in[1] != 'M' || get32(&in[10]) != kHeaderBytes)
        return {};
    const auto width = static_cast<int32_t>(get32(&in[18]));
    const auto height = -static_cast<int32_t>(get32(&in[22]));
    const uint32_t bitsAndPlanes = get32(&in[26]);
    if (width <= 0 || width > 4096 || height <= 0 || height > 4096 ||
        bitsAndPlanes != (32u << 16 | 1u) || get32(&in[30]) != 0 ||
        in.size() != kHeaderBytes + static_cast<size_t>(width) * height * 4)
        return {};
    Picture picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = get32(&in[kHeaderBytes + 4 * i]) & 0xFFFFFFu;
    return picture;
}

} // namespace editortest::capture
