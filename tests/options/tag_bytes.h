// MP3 files built from bytes for the tests: an ID3v2 tag of text frames, filler audio
// and an ID3v1 trailer, written into a temporary folder that is removed afterwards.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace brambex::testing {

using namespace std::string_literals;

struct TextFrame {
    std::string id;
    std::string payload;  // encoding byte included
};

// A Latin-1 text frame: encoding byte 0, then the text.
inline TextFrame Latin1Frame(std::string id, std::string text) {
    return {std::move(id), std::string(1, '\0') + text};
}

inline std::string BigEndian32(std::size_t n) {
    std::string s(4, '\0');
    for (int i = 3; i >= 0; --i, n >>= 8)
        s[static_cast<std::size_t>(i)] = static_cast<char>(n & 0xFF);
    return s;
}

inline std::string Syncsafe32(std::size_t n) {
    std::string s(4, '\0');
    for (int i = 3; i >= 0; --i, n >>= 7)
        s[static_cast<std::size_t>(i)] = static_cast<char>(n & 0x7F);
    return s;
}

// A tag of the given major version holding the frames, followed by padding bytes.
inline std::string Id3v2Tag(const std::vector<TextFrame>& frames, int version = 3,
                            std::size_t padding = 64) {
    std::string body;
    for (const auto& f : frames)
        body += f.id + BigEndian32(f.payload.size()) + "\0\0"s + f.payload;
    body += std::string(padding, '\0');
    return "ID3"s + static_cast<char>(version) + "\0\0"s + Syncsafe32(body.size()) + body;
}

// A 128-byte ID3v1.1 trailer.
inline std::string Id3v1Trailer(const std::string& title, const std::string& artist,
                                const std::string& album, unsigned char genre) {
    auto field = [](const std::string& s, std::size_t n) {
        return s.substr(0, n) + std::string(n - std::min(n, s.size()), '\0');
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field("2001", 4) +
           field("", 28) + '\0' + '\1' + static_cast<char>(genre);
}

// Bytes that stand for audio: frame-sync words followed by zeros.
inline std::string FillerAudio(std::size_t size) {
    std::string audio(size, '\0');
    for (std::size_t i = 0; i + 1 < size; i += 417) {
        audio[i] = static_cast<char>(0xFF);
        audio[i + 1] = static_cast<char>(0xFB);
    }
    return audio;
}

class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brambex-options-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string file = path_ + "/" + name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

  private:
    std::string path_;
};

}  // namespace brambex::testing
