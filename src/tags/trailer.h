// The ID3v1.1 trailer: the last 128 bytes of a track. Its text fields are ISO-8859-1,
// 30 bytes each, zero-filled, with no terminating zero when full.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brambex {

class Trailer {
  public:
    static constexpr int Size = 128;
    static constexpr int FieldSize = 30;

    Trailer() { Reset(); }
    // A fresh trailer: empty texts, no track, genre 255 (none).
    void Reset();
    // Takes the 128 bytes when they are a trailer ("TAG" first); false, and a fresh
    // trailer, when they are not.
    bool Read(const unsigned char* last);
    const unsigned char* Bytes() const { return bytes_; }

    // Texts are UTF-8; characters that ISO-8859-1 lacks become '?'. A title of none
    // and a genre of -1 leave those fields as they are.
    void Set(std::optional<std::string_view> title, std::string_view artist, std::string_view album,
             int track, int genre);
    // The year field takes the first four characters of the text.
    void SetYear(std::string_view year);
    std::string Title() const;
    std::string Artist() const;
    std::string Album() const;
    int Genre() const;
    std::string Year() const;
    std::string Comment() const;
    // The ID3v1.1 track byte, or 0 when the trailer carries none.
    int Track() const;

  private:
    unsigned char bytes_[Size];
};

}  // namespace brambex
