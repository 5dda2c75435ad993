#include "options/merge_preparation.h"

#include <cerrno>

#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/native_file.h"
#include "tags/diagnostic.h"
#include "tags/mp3.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

std::string FrameField(std::string_view text) {
    return std::string(CutUtf8Chars(text, MaxSettingsText));
}

std::string TrailerField(std::string_view text) {
    return std::string(CutUtf8Chars(text, MaxTrailerText));
}

// Opens the track; why it cannot be read when it cannot (MergeSettings::firstTrackError).
std::error_code OpenFirstTrack(platform::FileSystem& files, const std::string& path,
                               InputFile& in) {
    std::error_code error;
    switch (files.KindOf(path, error)) {
        case platform::native_file::Kind::Missing:
            return error;
        case platform::native_file::Kind::Folder:
            return std::make_error_code(std::errc::is_a_directory);
        case platform::native_file::Kind::Other:
            return platform::NotARegularFile();
        case platform::native_file::Kind::Regular:
            break;
    }
    return in.Open(path) ? std::error_code() : in.Error();
}

}  // namespace

void ReadFirstTrackTags(platform::FileSystem& files, MergeSettings& settings,
                        const std::string& path) {
    settings.genre.clear();
    settings.albumTitle.clear();
    settings.artist.clear();
    settings.titleTemplate.clear();

    settings.firstTrackPath = path;
    InputFile in;
    settings.firstTrackError = OpenFirstTrack(files, path, in);
    if (settings.firstTrackError)
        return;
    // The merge reads the track again to copy it and reports what it finds then; its
    // lines from this reading, for the defaults alone, would show twice.
    NoDiagnostics quiet;
    MP3 mp3(quiet);
    const bool read = mp3.Read(in);
    settings.firstTrackError = read ? std::error_code() : in.Error();
    const auto frame = [&](TagField field, std::string& text) {
        if (!mp3.HasInputFrame(field))
            return false;
        text = FrameField(mp3.InputText(field));
        return true;
    };
    const bool seenAlbum = frame(TagField::Album, settings.albumTitle);
    // The band names the set's artist best; a track's own artist comes next.
    const bool seenArtist =
        frame(TagField::Band, settings.artist) || frame(TagField::Artist, settings.artist);
    const bool seenGenre = frame(TagField::Genre, settings.genre);
    const bool seenTitle = frame(TagField::Title, settings.titleTemplate);

    // Without audio enough to reach a trailer its bytes mean nothing: the missing texts
    // stay empty rather than taking whatever the buffer held.
    if (!read)
        return;
    if (!seenGenre)
        settings.genre = "(" + std::to_string(mp3.Id3v1().Genre()) + ")";
    if (!seenAlbum)
        settings.albumTitle = TrailerField(mp3.Id3v1().Album());
    if (!seenArtist)
        settings.artist = TrailerField(mp3.Id3v1().Artist());
    if (!seenTitle)
        settings.titleTemplate = TrailerField(mp3.Id3v1().Title());
}

Preparation PrepareMergeSettings(platform::FileSystem& files, MergeSettings& settings,
                                 const RunMergeOptionsForm& runForm, const TellMessage& tell,
                                 const std::string& path, const PreviewSource& preview) {
    ReadFirstTrackTags(files, settings, path);

    MergeOptionsForm form(settings);
    form.SetPreviewSource(preview);
    form.SetUp();
    if (!runForm(form))
        return Preparation::Cancelled;
    // The title becomes a folder name: a front end that returned without the check must
    // not let a path separator through.
    if (std::optional<Message> refusal = form.Refusal()) {
        tell(*refusal);
        return Preparation::Refused;
    }
    form.Confirm();
    return Preparation::Confirmed;
}

}  // namespace brambex
