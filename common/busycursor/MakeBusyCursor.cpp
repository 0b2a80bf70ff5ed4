// Draws the program's busy cursor, a six-frame 32x32 16-colour spinner, and writes it as a RIFF
// "ACON" animated cursor. Its output is committed as ktBusy.ani (the resource "MyCursor"):
//   MakeBusyCursor common/busycursor/ktBusy.ani
// Integer arithmetic only, so every build draws the very same bytes.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int Size = 32;
constexpr int FrameCount = 6;
constexpr int Jiffies = 8; // 1/60 s per frame
constexpr int HotSpot = 16;

// The standard 16-colour palette (B, G, R).
constexpr std::array<std::array<uint8_t, 3>, 16> Palette = { {
    { 0, 0, 0 },
    { 0, 0, 128 },
    { 0, 128, 0 },
    { 0, 128, 128 },
    { 128, 0, 0 },
    { 128, 0, 128 },
    { 128, 128, 0 },
    { 192, 192, 192 },
    { 128, 128, 128 },
    { 0, 0, 255 },
    { 0, 255, 0 },
    { 0, 255, 255 },
    { 255, 0, 0 },
    { 255, 0, 255 },
    { 255, 255, 0 },
    { 255, 255, 255 },
} };
constexpr int Black = 0;
constexpr int Transparent = -1;

// Six dots on a circle of radius 10 around the hotspot, clockwise from the top, in quarter pixels.
constexpr std::array<std::array<int, 2>, FrameCount> DotOffsets
    = { { { 0, -40 }, { 35, -20 }, { 35, 20 }, { 0, 40 }, { -35, 20 }, { -35, -20 } } };
constexpr int DotRadius2 = 13 * 13; // 3.25 px
constexpr int RimRadius2 = 17 * 17; // one-pixel black rim
// The leading dot is blue, the ones behind it fade out: blue, navy, grey, silver, white, white.
constexpr std::array<int, FrameCount> TrailColours = { 12, 4, 8, 7, 15, 15 };

using Picture = std::array<std::array<int, Size>, Size>; // [y][x] palette index or Transparent

Picture Draw(int frame)
{
    Picture picture;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            int colour = Transparent;
            for (int dot = 0; dot < FrameCount; ++dot) {
                const int dx = 4 * x + 2 - (4 * HotSpot + DotOffsets[dot][0]);
                const int dy = 4 * y + 2 - (4 * HotSpot + DotOffsets[dot][1]);
                const int d2 = dx * dx + dy * dy;
                if (d2 <= DotRadius2)
                    colour = TrailColours[(frame - dot + FrameCount) % FrameCount];
                else if (d2 <= RimRadius2 && colour == Transparent)
                    colour = Black;
            }
            picture[y][x] = colour;
        }
    return picture;
}

void Put16(std::string& out, uint16_t v)
{
    out += char(v & 0xff);
    out += char(v >> 8);
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, uint16_t(v & 0xffff));
    Put16(out, uint16_t(v >> 16));
}

std::string Chunk(const char* id, const std::string& data)
{
    std::string out(id, 4);
    Put32(out, uint32_t(data.size()));
    out += data;
    if (data.size() % 2)
        out += '\0';
    return out;
}

// One .cur file: a 4-bit colour bitmap and its 1-bit mask, both bottom-up.
std::string CursorFile(const Picture& picture)
{
    constexpr uint32_t xorBytes = Size * Size / 2;
    constexpr uint32_t andBytes = Size * Size / 8;
    constexpr uint32_t dibBytes = 40 + 16 * 4 + xorBytes + andBytes;
    std::string out;
    Put16(out, 0); // reserved
    Put16(out, 2); // cursor
    Put16(out, 1); // one image
    out += char(Size);
    out += char(Size);
    out += char(16); // colours
    out += char(0);
    Put16(out, HotSpot);
    Put16(out, HotSpot);
    Put32(out, dibBytes);
    Put32(out, 6 + 16);

    Put32(out, 40);
    Put32(out, Size);
    Put32(out, 2 * Size); // colour bitmap and mask
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0); // uncompressed
    Put32(out, xorBytes + andBytes);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 16);
    Put32(out, 0);
    for (const auto& bgr : Palette) {
        out.append(reinterpret_cast<const char*>(bgr.data()), 3);
        out += '\0';
    }
    for (int y = Size - 1; y >= 0; --y)
        for (int x = 0; x < Size; x += 2) {
            const int left = picture[y][x] == Transparent ? 0 : picture[y][x];
            const int right = picture[y][x + 1] == Transparent ? 0 : picture[y][x + 1];
            out += char(left << 4 | right);
        }
    for (int y = Size - 1; y >= 0; --y)
        for (int x = 0; x < Size; x += 8) {
            int bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = bits << 1 | (picture[y][x + i] == Transparent ? 1 : 0);
            out += char(bits);
        }
    return out;
}

std::string AnimatedCursor()
{
    std::string header;
    Put32(header, 36);
    Put32(header, FrameCount); // frames
    Put32(header, FrameCount); // steps
    for (int i = 0; i < 4; ++i)
        Put32(header, 0); // size, bit count and planes come from the frames
    Put32(header, Jiffies);
    Put32(header, 1); // frames are .ico/.cur files; no "seq " chunk

    std::string frames = "fram";
    for (int frame = 0; frame < FrameCount; ++frame)
        frames += Chunk("icon", CursorFile(Draw(frame)));

    return Chunk("RIFF", "ACON" + Chunk("anih", header) + Chunk("LIST", frames));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ani\n", argv[0]);
        return 2;
    }
    const std::string bytes = AnimatedCursor();
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
