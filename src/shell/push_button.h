// The push buttons of the program's own windows: named for tests and accessibility
// tools (the caption may mark its mnemonic with "&"), and never made the default button by focus
// alone, so Enter does not press a button the user did not choose.
#pragma once

class QPushButton;
class QWidget;

namespace brambex {

QPushButton* MakePushButton(const char* text, const char* objectName, QWidget* parent);

}  // namespace brambex
