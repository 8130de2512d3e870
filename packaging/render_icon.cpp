// Build tool: renders the program's own 32 x 32 image (id 128) as the PNG icons of the
// desktop's icon theme, so the menu shows the same picture as the window.
// Usage: render_icon DIR NAME SIZE... writes DIR/SIZExSIZE/apps/NAME.png for every SIZE.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct XpmEntry {
    int id;
    const char* const* lines;
};

#include "res/images/xpm_data.inc"

constexpr int kAppImage = 128;

// Premultiplied RGBA in floating point, so that scaling never blends a visible pixel with
// the colour of a transparent one.
struct Pixel {
    double r = 0, g = 0, b = 0, a = 0;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Pixel> px;
    Pixel& at(int x, int y) { return px[static_cast<std::size_t>(y * width + x)]; }
};

bool Decode(const char* const* xpm, Picture& out) {
    int colours = 0;
    int perPixel = 0;
    std::istringstream header(xpm[0]);
    if (!(header >> out.width >> out.height >> colours >> perPixel) || perPixel < 1) {
        return false;
    }
    std::map<std::string, Pixel> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string line = xpm[i];
        const std::string key = line.substr(0, static_cast<std::size_t>(perPixel));
        const std::size_t hash = line.find('#');
        Pixel p; // "None" and the images' cyan mask colour stay transparent
        if (hash != std::string::npos) {
            const unsigned long rgb = std::strtoul(line.c_str() + hash + 1, nullptr, 16);
            if (rgb != 0x00FFFF) {
                p = {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                     (rgb & 0xFF) / 255.0, 1.0};
            }
        }
        palette[key] = p;
    }
    out.px.assign(static_cast<std::size_t>(out.width * out.height), Pixel{});
    for (int y = 0; y < out.height; ++y) {
        const std::string row = xpm[1 + colours + y];
        for (int x = 0; x < out.width; ++x) {
            auto found = palette.find(row.substr(static_cast<std::size_t>(x * perPixel),
                                                 static_cast<std::size_t>(perPixel)));
            if (found == palette.end()) {
                return false;
            }
            out.at(x, y) = found->second;
        }
    }
    return true;
}

// Area-weighted scaling: whole multiples of the source size keep hard pixel edges, other
// sizes get the coverage of every source pixel.
Picture Scale(Picture& src, int size) {
    Picture out;
    out.width = out.height = size;
    out.px.assign(static_cast<std::size_t>(size * size), Pixel{});
    const double fx = static_cast<double>(src.width) / size;
    const double fy = static_cast<double>(src.height) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Pixel sum;
            const double x0 = x * fx, x1 = (x + 1) * fx, y0 = y * fy, y1 = (y + 1) * fy;
            for (int sy = static_cast<int>(y0); sy < src.height && sy < y1; ++sy) {
                const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
                for (int sx = static_cast<int>(x0); sx < src.width && sx < x1; ++sx) {
                    const double w = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
                    const Pixel& p = src.at(sx, sy);
                    sum.r += w * p.r * p.a;
                    sum.g += w * p.g * p.a;
                    sum.b += w * p.b * p.a;
                    sum.a += w * p.a;
                }
            }
            const double area = fx * fy;
            Pixel& o = out.at(x, y);
            o.a = sum.a / area;
            if (sum.a > 0) {
                o.r = sum.r / sum.a;
                o.g = sum.g / sum.a;
                o.b = sum.b / sum.a;
            }
        }
    }
    return out;
}

void PutBig32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((v >> shift) & 0xFF);
    }
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    PutBig32(png, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    PutBig32(png, static_cast<std::uint32_t>(
                      crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

unsigned char Byte(double v) {
    return static_cast<unsigned char>(std::min(255.0, std::max(0.0, v * 255.0 + 0.5)));
}

bool WritePng(Picture& pic, const std::filesystem::path& path) {
    std::string raw;
    for (int y = 0; y < pic.height; ++y) {
        raw += '\0'; // no row filter
        for (int x = 0; x < pic.width; ++x) {
            const Pixel& p = pic.at(x, y);
            for (double v : {p.r, p.g, p.b, p.a}) {
                raw += static_cast<char>(Byte(v));
            }
        }
    }
    uLongf packedSize = compressBound(raw.size());
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9) != Z_OK) {
        return false;
    }
    packed.resize(packedSize);
    std::string header;
    PutBig32(header, static_cast<std::uint32_t>(pic.width));
    PutBig32(header, static_cast<std::uint32_t>(pic.height));
    header += std::string("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, no interlace
    std::string png("\x89PNG\r\n\x1a\n", 8);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << png;
    return static_cast<bool>(file.flush());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: render_icon DIR NAME SIZE...\n");
        return 2;
    }
    const char* const* xpm = nullptr;
    for (const auto& entry : kXpmTable) {
        if (entry.id == kAppImage) {
            xpm = entry.lines;
        }
    }
    Picture source;
    if (xpm == nullptr || !Decode(xpm, source)) {
        std::fprintf(stderr, "render_icon: image %d is missing or unreadable\n", kAppImage);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "render_icon: bad size %s\n", argv[i]);
            return 2;
        }
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path path =
            std::filesystem::path(argv[1]) / folder / "apps" / (std::string(argv[2]) + ".png");
        Picture scaled = Scale(source, size);
        if (!WritePng(scaled, path)) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
