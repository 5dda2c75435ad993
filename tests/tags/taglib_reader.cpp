// Prints what TagLib reads from an MP3 file's ID3v2 tag, one "key=value" per line, then
// the items of its APE tag as "ape:KEY=value" (binary ones by their size). The
// integration test builds it against libtag1-dev, as an independent reader.
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    TagLib::MPEG::File file(argv[1]);
    TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag() : nullptr;
    if (tag == nullptr) {
        return 1;
    }
    std::cout << "version=2." << tag->header()->majorVersion() << "\n"
              << "title=" << tag->title().to8Bit(true) << "\n"
              << "artist=" << tag->artist().to8Bit(true) << "\n"
              << "album=" << tag->album().to8Bit(true) << "\n"
              << "track=" << tag->track() << "\n"
              << "genre=" << tag->genre().to8Bit(true) << "\n"
              << "pictures=" << tag->frameListMap()["APIC"].size() << "\n"
              << "frames=" << tag->frameList().size() << "\n";
    for (const auto* frame : tag->frameListMap()["APIC"]) {
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        std::cout << "picture=" << (picture ? picture->picture().size() : 0) << "\n";
    }
    if (TagLib::APE::Tag* ape = file.hasAPETag() ? file.APETag() : nullptr) {
        for (const auto& [key, item] : ape->itemListMap()) {
            std::cout << "ape:" << key.to8Bit(true) << "=";
            if (item.type() == TagLib::APE::Item::Binary) {
                std::cout << item.binaryData().size() << " bytes\n";
            } else {
                std::cout << item.toString().to8Bit(true) << "\n";
            }
        }
    }
    return 0;
}
