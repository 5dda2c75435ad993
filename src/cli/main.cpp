#include "cli/commands.h"

int main(int argc, char** argv) {
    return brambex::cli::RunCli(argc, argv);
}
