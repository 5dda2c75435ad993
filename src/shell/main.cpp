#include "shell/audiobook_app.h"
#include "shell/command_line.h"

int main(int argc, char** argv) {
    if (std::optional<int> status = brambex::AnswerWithoutWindow(argc, argv, stdout))
        return *status;
    brambex::TaudiobookApp app(argc, argv);
    return app.Run();
}
