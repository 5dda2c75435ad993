#include "options/merge_preparation.h"

#include "options/front_end.h"
#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"
#include "tags/file_stream.h"
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

}  // namespace

void ReadFirstTrackTags(MergeSettings& settings, const std::string& path) {
    settings.genre.clear();
    settings.albumTitle.clear();
    settings.artist.clear();
    settings.titleTemplate.clear();

    InputFile in;
    if (!platform::IsRegularFile(path) || !in.Open(path))
        return;
    MP3 mp3;
    if (!mp3.ReadHeader(in, nullptr))
        return;

    bool seenAlbum = false, seenArtist = false, seenGenre = false, seenTitle = false;
    int matches = 0;
    while (matches < 4 && mp3.NextFrame(in)) {
        if (mp3.IsFrame("TALB")) {
            settings.albumTitle = FrameField(mp3.FrameText());
            seenAlbum = true;
        } else if (mp3.IsFrame("TPE2")) {
            settings.artist = FrameField(mp3.FrameText());
            seenArtist = true;
        } else if (mp3.IsFrame("TCON")) {
            settings.genre = FrameField(mp3.FrameText());
            seenGenre = true;
        } else if (mp3.IsFrame("TIT2")) {
            settings.titleTemplate = FrameField(mp3.FrameText());
            seenTitle = true;
        } else {
            continue;
        }
        ++matches;
    }
    if (matches >= 4)
        return;

    // Without audio enough to reach a trailer its bytes mean nothing: the missing texts
    // stay empty rather than taking whatever the buffer held.
    if (!mp3.CopyAudio(in, nullptr))
        return;
    if (!seenGenre)
        settings.genre = "(" + std::to_string(mp3.TrailerGenre()) + ")";
    if (!seenAlbum)
        settings.albumTitle = TrailerField(mp3.TrailerAlbum());
    if (!seenArtist)
        settings.artist = TrailerField(mp3.TrailerArtist());
    if (!seenTitle)
        settings.titleTemplate = TrailerField(mp3.TrailerTitle());
}

bool PrepareMergeSettings(MergeSettings& settings, FrontEnd& ui, const std::string& path) {
    ReadFirstTrackTags(settings, path);

    MergeOptionsForm form(settings);
    form.SetUp();
    if (!ui.RunMergeOptions(form))
        return false;
    // The title becomes a folder name: a front end that returned without the check must
    // not let a path separator through.
    if (!form.MayClose(ui))
        return false;
    form.Confirm();

    std::size_t underscore = settings.outputFolder.rfind('_');
    if (underscore != std::string::npos && underscore + 1 < settings.outputFolder.size() &&
        settings.outputFolder[underscore + 1] >= '0' &&
        settings.outputFolder[underscore + 1] <= '9') {
        settings.outputFolder.resize(underscore);
        settings.splitFolders = true;
    } else if (settings.trackCount > MaxTracksPerFolder) {
        ui.ShowMessage(
            "Too many tracks to fit in one folder.\nAdding a sequence number to the folder name.",
            "Error", MessageStyle::Plain);
        settings.splitFolders = true;
    } else {
        settings.splitFolders = false;
    }
    return true;
}

}  // namespace brambex
