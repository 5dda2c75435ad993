// brambex-tags FILE: prints the tags of one MP3 file as the codec reads them.
#include <cstdio>

#include "platform/file_system.h"
#include "support/tag_report.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = brambex::platform::CommandLineArguments(argc, argv);
    if (args.size() != 1) {
        std::fputs("Usage: brambex-tags FILE\n", stderr);
        return 2;
    }
    return brambex::PrintTagReport(args[0], stdout) ? 0 : 1;
}
