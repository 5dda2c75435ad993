// Genres by number become names as mutagen's conversion names them; the volume
// adjustment's master channel becomes ReplayGain texts; a time stamp's parts become
// the 2.3 year, date and time.
#include "tags/frame_conversion.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "tags/byte_order.h"
#include "tags/frame_text.h"
#include "tags/genre_table.h"
#include "tags/text_encoding.h"

namespace brambex {

std::size_t GenreNames(std::string_view genres, char* out, std::size_t cap) {
    std::size_t n = 0;
    std::string_view last;
    const auto put = [&](std::string_view name) {
        if (name.empty() || name == last || n + name.size() + 1 > cap) {
            return;
        }
        if (n > 0) {
            out[n++] = '/';
        }
        std::memcpy(out + n, name.data(), name.size());
        n += name.size();
        last = name;
    };
    const auto nameOf = [](std::string_view value) -> std::string_view {
        if (value == "RX") {
            return "Remix";
        }
        if (value == "CR") {
            return "Cover";
        }
        const GenreText genre = ReadGenreText(value);
        return genre.form == GenreText::Form::Number ? *GenreTable::GenreName(genre.number) : value;
    };
    while (!genres.empty()) {
        const std::size_t slash = std::min(genres.find('/'), genres.size());
        std::string_view value = genres.substr(0, slash);
        genres.remove_prefix(std::min(genres.size(), slash + 1));
        // References in parentheses first, then the text that follows them.
        while (value.size() > 2 && value[0] == '(' && value.find(')') != std::string_view::npos) {
            const std::size_t close = value.find(')');
            put(nameOf(value.substr(1, close - 1)));
            value.remove_prefix(close + 1);
        }
        put(value.empty() ? value : nameOf(value));
    }
    return n;
}

namespace {

// num / den with `decimals` places, rounded half to even as printf rounds, without the
// locale's decimal point.
void FormatFraction(std::uint64_t num, std::uint64_t den, bool negative, int decimals,
                    const char* unit, char* out, std::size_t cap) {
    std::uint64_t q = num / den;
    const std::uint64_t twice = 2 * (num % den);
    q += twice > den || (twice == den && q % 2 == 1) ? 1u : 0u;
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    std::snprintf(out, cap, "%s%llu.%0*llu%s", negative ? "-" : "",
                  static_cast<unsigned long long>(q / scale), decimals,
                  static_cast<unsigned long long>(q % scale), unit);
}

}  // namespace

bool ReadVolumeAdjustment(const unsigned char* in, std::size_t n, VolumeAdjustment& out) {
    std::size_t pos = TextLength(TextEncoding::Latin1, in, n);
    char lower[6] = {};
    for (std::size_t i = 0; i + 5 <= pos && !out.album; ++i) {
        for (std::size_t k = 0; k < 5; ++k) {
            lower[k] = static_cast<char>(std::tolower(in[i + k]));
        }
        out.album = std::string_view(lower, 5) == "album";
    }
    for (pos = std::min(n, pos + 1); pos + 4 <= n;) {
        const unsigned char channel = in[pos];
        const auto adjustment = static_cast<std::int16_t>((in[pos + 1] << 8) | in[pos + 2]);
        const unsigned bits = in[pos + 3];
        const std::size_t bytes = std::min<std::size_t>(4, (bits + 7) / 8);
        if (pos + 4 + bytes > n) {
            return false;
        }
        if (channel != 1) {
            pos += 4 + bytes;
            continue;
        }
        // The gain counts 1/512 dB; the peak is `bits` bits, read as a fraction of 2^31.
        std::uint64_t peak = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            peak = peak * 256 + in[pos + 4 + i];
        }
        peak <<= ((8 - (bits & 7)) & 7) + (4 - bytes) * 8;
        const auto magnitude =
            static_cast<std::uint64_t>(adjustment < 0 ? -adjustment : adjustment);
        FormatFraction(magnitude * 100, 512, adjustment < 0, 2, " dB", out.gain, sizeof out.gain);
        FormatFraction(peak * 1000000, 2147483647u, false, 6, "", out.peak, sizeof out.peak);
        return true;
    }
    return false;
}

Id3Date SplitTimeStamp(std::string_view stamp) {
    int parts[5] = {};
    int count = 0;
    std::size_t i = 0;
    while (count < 5 && i < stamp.size()) {
        if (stamp[i] < '0' || stamp[i] > '9') {
            break;
        }
        int value = 0;
        while (i < stamp.size() && stamp[i] >= '0' && stamp[i] <= '9') {
            value = value * 10 + (stamp[i] - '0');
            value = std::min(value, 9999);
            ++i;
        }
        parts[count++] = value;
        if (i < stamp.size() && std::strchr("-T:", stamp[i]) == nullptr) {
            break;
        }
        ++i;
    }
    Id3Date date;
    const auto two = [](char* out, int a, int b) {
        out[0] = static_cast<char>('0' + a / 10 % 10);
        out[1] = static_cast<char>('0' + a % 10);
        out[2] = static_cast<char>('0' + b / 10 % 10);
        out[3] = static_cast<char>('0' + b % 10);
    };
    if (parts[0] != 0) {
        two(date.year, parts[0] / 100, parts[0] % 100);
    }
    if (parts[1] != 0 && parts[2] != 0) {
        two(date.date, parts[2], parts[1]);
    }
    // An hour alone is a time on the hour.
    if (count >= 4) {
        two(date.time, parts[3], parts[4]);
    }
    return date;
}

}  // namespace brambex
