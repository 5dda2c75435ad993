#include "shell/audiobook_app.h"

int main(int argc, char** argv) {
    brambex::TaudiobookApp app(argc, argv);
    return app.Run();
}
