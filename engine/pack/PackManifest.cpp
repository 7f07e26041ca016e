#include "engine/pack/PackManifest.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/paint/Pps.h"
#include "platform/Charset.h"
#include "platform/ImageDecode.h"

namespace Lumora {
namespace {

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::vector<std::string> SplitList(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string item; std::getline(in, item, ',');)
        if (!Trim(item).empty()) out.push_back(Trim(item));
    return out;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

// Decodes any picture file we read into 32-bit B, G, R, A pixels, one frame.
bool LoadPixels(const std::string& path, uint32_t& w, uint32_t& h, std::vector<uint8_t>& bgra, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadBytes(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    const std::string ext = FileExtensionLower(path);
    platform::PictureFormat format;
    if (ext == ".png") format = platform::PictureFormat::Png;
    else if (ext == ".jpg" || ext == ".jpeg") format = platform::PictureFormat::Jpeg;
    else if (ext == ".gif") format = platform::PictureFormat::Gif;
    else if (ext == ".bmp") format = platform::PictureFormat::Bmp;
    else {
        error = "not a picture: " + path;
        return false;
    }
    platform::DecodedPicture pic;
    if (!platform::DecodePicture(format, bytes.data(), bytes.size(), pic)) {
        error = "cannot decode " + path;
        return false;
    }
    w = pic.width;
    h = pic.height;  // first frame only: animations are described by the manifest
    const size_t n = size_t(w) * h;
    bgra.resize(n * 4);
    const bool paletted = pic.flags & platform::DecodedPicture::kPaletted;
    const bool pairs = pic.flags & platform::DecodedPicture::kAlpha;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* d = &bgra[4 * i];
        if (!paletted) {
            std::memcpy(d, &pic.pixels[4 * i], 4);
            continue;
        }
        const uint8_t index = pic.pixels[pairs ? 2 * i : i];
        const uint8_t* e = size_t(index) * 3 + 2 < pic.palette.size() ? &pic.palette[index * 3u] : nullptr;
        d[0] = e ? e[2] : 0;
        d[1] = e ? e[1] : 0;
        d[2] = e ? e[0] : 0;
        d[3] = pairs ? pic.pixels[2 * i + 1]
                     : ((pic.flags & platform::DecodedPicture::kTransparent) && index == pic.transparent ? 0 : 255);
    }
    return true;
}

bool WantsPps(const ManifestEntry& e) {
    if (!e.output.empty()) return e.output == "pps";
    return e.frames > 1 || e.sources.size() > 1 || e.hasAnchor || e.hasKey;
}

bool MakePicture(const std::string& folder, const ManifestEntry& e, ImageRecord& img, std::string& error) {
    std::vector<std::vector<uint8_t>> frames;
    uint32_t w = 0, h = 0;
    for (const std::string& src : e.sources) {
        uint32_t fw = 0, fh = 0;
        std::vector<uint8_t> px;
        if (!LoadPixels(folder + src, fw, fh, px, error)) return false;
        if (!frames.empty() && (fw != w || fh != h)) {
            error = e.name + ": frames differ in size";
            return false;
        }
        w = fw;
        h = fh;
        frames.push_back(std::move(px));
    }
    uint32_t count = uint32_t(frames.size());
    if (frames.size() == 1 && e.frames > 1) {
        if (h % e.frames != 0) {
            error = e.name + ": sheet height is not a multiple of the frame count";
            return false;
        }
        h /= e.frames;
        count = e.frames;
    }
    if (w == 0 || h == 0 || w > 0xFFFF || h > 0xFFFF || count > 0xFFFF) {
        error = e.name + ": size out of range";
        return false;
    }
    img = ImageRecord{};
    img.width = uint16_t(w);
    img.height = uint16_t(h);
    img.frames = count;
    for (const auto& f : frames) img.pixels.insert(img.pixels.end(), f.begin(), f.end());
    img.flags = kImageAlpha;
    if (count > 1) {
        img.flags |= kImageAnimated;
        if (e.delays.size() != 1 && e.delays.size() != count) {
            error = e.name + ": give one delay or one per frame";
            return false;
        }
        for (uint32_t f = 0; f < count; ++f) img.delays.push_back(e.delays.size() == 1 ? e.delays[0] : e.delays[f]);
    }
    if (e.hasKey) {
        const uint8_t r = uint8_t(e.keyRgb >> 16), g = uint8_t(e.keyRgb >> 8), b = uint8_t(e.keyRgb);
        img.flags |= kImageTransparent;
        img.transparent = uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
        for (size_t i = 0; i < img.pixels.size(); i += 4)
            if (img.pixels[i] == b && img.pixels[i + 1] == g && img.pixels[i + 2] == r) img.pixels[i + 3] = 0;
    }
    if (e.hasAnchor) {
        img.flags |= kImageAnchor;
        img.anchorFirst = uint16_t(e.anchorFirst);
        img.anchorSecond = int16_t(e.anchorSecond);
    }
    return true;
}

} // namespace

bool ParseManifest(const std::string& text, std::vector<ManifestEntry>& entries, std::string& error) {
    entries.clear();
    std::istringstream in(text);
    int lineNo = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++lineNo;
        const size_t comment = raw.find(';');
        const std::string line = Trim(comment == std::string::npos ? raw : raw.substr(0, comment));
        const std::string where = "manifest line " + std::to_string(lineNo) + ": ";
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = where + "bad section";
                return false;
            }
            entries.push_back({});
            entries.back().name = Trim(line.substr(1, line.size() - 2));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || entries.empty()) {
            error = where + "expected key = value inside a section";
            return false;
        }
        ManifestEntry& e = entries.back();
        const std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        try {
            if (key == "source") {
                e.sources = SplitList(value);
            } else if (key == "frames") {
                e.frames = uint32_t(std::stoul(value));
            } else if (key == "delays_ms") {
                e.delays.clear();
                for (const std::string& d : SplitList(value)) {
                    const long v = std::stol(d);
                    if (v < 1) {
                        error = where + "every delay is at least 1 ms";
                        return false;
                    }
                    e.delays.push_back(uint32_t(v));
                }
            } else if (key == "anchor") {
                const auto parts = SplitList(value);
                if (parts.size() != 2) throw std::invalid_argument("anchor");
                e.hasAnchor = true;
                e.anchorFirst = std::stoi(parts[0]);
                e.anchorSecond = std::stoi(parts[1]);
            } else if (key == "key_colour") {
                e.hasKey = true;
                e.keyRgb = uint32_t(std::stoul(value, nullptr, 16)) & 0xFFFFFF;
            } else if (key == "method") {
                e.method = uint8_t(std::stoul(value));
            } else if (key == "output") {
                if (value != "pps" && value != "copy") throw std::invalid_argument("output");
                e.output = value;
            } else {
                error = where + "unknown key " + key;
                return false;
            }
        } catch (const std::exception&) {
            error = where + "bad value for " + key;
            return false;
        }
    }
    for (const ManifestEntry& e : entries) {
        if (e.sources.empty()) {
            error = e.name + ": no source";
            return false;
        }
        if (e.frames == 0) {
            error = e.name + ": frames must be at least 1";
            return false;
        }
        if ((e.frames > 1 || e.sources.size() > 1) && e.delays.empty()) {
            error = e.name + ": an animation needs delays_ms";
            return false;
        }
    }
    return true;
}

bool PrepareSources(const std::string& folder, const std::vector<ManifestEntry>& entries,
                    std::vector<PackSource>& sources, std::string& error) {
    sources.clear();
    for (const ManifestEntry& e : entries) {
        const std::string gbk = platform::Utf8ToGbk(e.name);
        if (gbk.empty() || platform::GbkToUtf8(gbk) != e.name) {
            error = e.name + ": the name has no GBK form";
            return false;
        }
        PackSource s;
        if (WantsPps(e)) {
            ImageRecord img;
            if (!MakePicture(folder, e, img, error)) return false;
            s.name = gbk + ".pps";
            s.bytes = EncodePps(img, e.method);
            ImageRecord back;
            if (s.bytes.empty() || !DecodePps(s.bytes.data(), s.bytes.size(), back) || back.pixels != img.pixels ||
                back.delays != img.delays) {
                error = e.name + ": the pps picture does not read back";
                return false;
            }
        } else {
            if (e.sources.size() != 1) {
                error = e.name + ": a copied resource has one source";
                return false;
            }
            s.name = gbk + FileExtensionLower(e.sources[0]);
            if (!ReadBytes(folder + e.sources[0], s.bytes)) {
                error = "cannot read " + folder + e.sources[0];
                return false;
            }
        }
        sources.push_back(std::move(s));
    }
    return true;
}

bool BuildPackFromManifest(const std::string& manifestPath, std::vector<uint8_t>& pack, std::string& error) {
    std::vector<uint8_t> text;
    if (!ReadBytes(manifestPath, text)) {
        error = "cannot read " + manifestPath;
        return false;
    }
    std::vector<ManifestEntry> entries;
    if (!ParseManifest(std::string(text.begin(), text.end()), entries, error)) return false;
    const size_t slash = manifestPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : manifestPath.substr(0, slash + 1);
    std::vector<PackSource> sources;
    if (!PrepareSources(folder, entries, sources, error)) return false;
    pack = BuildPack(sources, error);
    return !pack.empty() && VerifyPack(pack, sources, error);
}

} // namespace Lumora
