// mkstream: writes a large synthetic codestream that the checker reports as clean (or, with
// --missing, one that lacks tiles), raw or in a JP2 file, for benchmarks and for trying the viewer on
// big files; or, with --profile, a small stream of a profile with one of its rules broken or none.

#include "tools/profileStream.h"
#include "tools/streamWriter.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <fstream>

namespace {

// A byte count with an optional binary suffix: 512, 64K, 100M, 1G.
uint64_t parseByteCount(const std::string& text)
{
    size_t used = 0;
    const uint64_t value = std::stoull(text, &used);
    const std::string suffix = text.substr(used);
    if (suffix.empty())
        return value;
    if (suffix == "K" || suffix == "k")
        return value << 10;
    if (suffix == "M")
        return value << 20;
    if (suffix == "G")
        return value << 30;
    throw std::invalid_argument("unknown size suffix '" + suffix + "'");
}

int writeProfileStream(const std::string& profile, bool ht, int broken, const std::string& path)
{
    ProfileStreamRequest request{std::nullopt, ht, broken};
    if (profile != "none") {
        request.profile = profileByName(profile);
        if (!request.profile)
            throw std::invalid_argument("unknown profile '" + profile + "'");
    }
    const ProfileStream stream = buildProfileStream(request);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(stream.bytes.data()), static_cast<std::streamsize>(stream.bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
    std::printf("%s: %zu bytes", path.c_str(), stream.bytes.size());
    if (broken)
        std::printf(", rule %d broken at offset %llu", broken, static_cast<unsigned long long>(stream.brokenAt));
    std::printf(stream.needsProfileOption ? "; check it with --profile %s\n" : "\n", profile.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Writes a synthetic codestream: SIZ, COD, QCD, optional TLM, tile-parts with optional PLT."};
    StreamShape shape;
    std::string dataText = "16";
    std::string totalText;
    std::string path;
    app.add_option("--tiles", shape.tiles, "Number of tiles, 1 to 65535")->capture_default_str();
    app.add_option("--parts", shape.tilePartsPerTile, "Tile-parts per tile, 1 to 255")->capture_default_str();
    app.add_option("--data", dataText, "Bit-stream bytes per tile-part (suffix K, M or G)")->capture_default_str();
    app.add_option("--total", totalText, "Bit-stream bytes of the whole stream, split over the tile-parts; "
                                         "overrides --data");
    app.add_option("--packets", shape.packets, "Packet lengths in a PLT of every tile-part; 0 for no PLT")
        ->capture_default_str();
    app.add_flag("--tlm", shape.tlm, "TLM segments in the main header");
    app.add_flag("--interleaved", shape.interleaved, "Order tile-parts part by part across the tiles");
    app.add_flag("--noise", shape.noise, "Pseudo-random bit-stream bytes instead of holes of zeros");
    app.add_option("--missing", shape.missingTiles, "Tiles that SIZ declares but the stream leaves out")
        ->capture_default_str();
    app.add_flag("--jp2", shape.jp2, "Write the codestream as the codestream box of a JP2 file");
    std::string profile;
    bool ht = false;
    int broken = 0;
    auto* profileOption = app.add_option("--profile", profile,
                                         "Write a small stream of this profile (a name tarvik3-check --profile takes, "
                                         "or none); the options above do not apply");
    app.add_flag("--ht", ht, "With --profile: HTJ2K (Rsiz bit 14, CAP, HT code-blocks)")->needs(profileOption);
    app.add_option("--break", broken, "With --profile: break the rule of this code (13001-13011, 14000-14017)")
        ->needs(profileOption);
    app.add_option("OUTPUT", path, "File to write")->required();
    CLI11_PARSE(app, argc, argv);

    try {
        if (!profile.empty())
            return writeProfileStream(profile, ht, broken, path);
        shape.dataBytes = parseByteCount(dataText);
        if (!totalText.empty())
            shape.dataBytes = parseByteCount(totalText) / tilePartCount(shape);
        writeStream(shape, path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkstream: %s\n", e.what());
        return 1;
    }
    std::printf("%s: %llu bytes, %llu tile-parts, %llu elements\n", path.c_str(),
                static_cast<unsigned long long>(streamSize(shape)),
                static_cast<unsigned long long>(tilePartCount(shape)),
                static_cast<unsigned long long>(elementCount(shape)));
    return 0;
}
