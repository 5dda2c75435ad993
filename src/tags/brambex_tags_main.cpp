// brambex-tags FILE: prints the tags of one MP3 file as the codec reads them.
#include <cstdio>

#include "tags/tag_report.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: brambex-tags FILE\n", stderr);
        return 2;
    }
    return brambex::PrintTagReport(argv[1], stdout) ? 0 : 1;
}
