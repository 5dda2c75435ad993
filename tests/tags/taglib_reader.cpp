// Prints what TagLib reads from an MP3 file's ID3v2 tag, one "key=value" per line: its
// properties as "prop:KEY=value" (line breaks as "\n"), each chapter as
// "chapter:ID=title/picture sizes", each table of contents as "toc:ID=children", then the
// items of its APE tag as "ape:KEY=value" (binary ones by their size). The integration
// test builds it against libtag1-dev, as an independent reader.
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/tpropertymap.h>

#include <iostream>
#include <string>

namespace {

std::string OneLine(const TagLib::String& text) {
    std::string line;
    for (const char c : text.to8Bit(true)) {
        line += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return line;
}

void PrintChapters(TagLib::ID3v2::Tag& tag) {
    for (const auto* frame : tag.frameListMap()["CHAP"]) {
        const auto& chapter = dynamic_cast<const TagLib::ID3v2::ChapterFrame&>(*frame);
        const auto& embedded = chapter.embeddedFrameListMap();
        std::cout << "chapter:" << chapter.elementID() << "=";
        if (embedded.contains("TIT2")) {
            std::cout << OneLine(embedded["TIT2"].front()->toString());
        }
        for (const auto* own : embedded["APIC"]) {
            const auto& picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame&>(*own);
            std::cout << "/" << picture.picture().size();
        }
        std::cout << "\n";
    }
    for (const auto* frame : tag.frameListMap()["CTOC"]) {
        const auto& toc = dynamic_cast<const TagLib::ID3v2::TableOfContentsFrame&>(*frame);
        std::cout << "toc:" << toc.elementID() << "=";
        for (const auto& child : toc.childElements()) {
            std::cout << child << (child == toc.childElements().back() ? "" : ",");
        }
        std::cout << "\n";
    }
}

}  // namespace

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
    for (const auto& [key, values] : tag->properties()) {
        for (const auto& value : values) {
            std::cout << "prop:" << key.to8Bit(true) << "=" << OneLine(value) << "\n";
        }
    }
    PrintChapters(*tag);
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
