#include "shell/application.h"
#include "shell/command_line.h"

int main(int argc, char** argv) {
    if (std::optional<int> status = brambex::AnswerWithoutWindow(argc, argv, stdout))
        return *status;
    brambex::Application app(argc, argv);
    return app.Run();
}
