#include "options/title_check.h"

#include "platform/ascii_case.h"
#include "platform/file_system.h"

namespace brambex {

namespace {

constexpr std::string_view ForbiddenTitleMessage =
    "The album name cannot contain any of\nthese characters: \\ / : * ? \" < > |\n"
    "Please remove all of these characters or\nreplace them with some other ones.";
constexpr std::string_view EmptyTitleMessage =
    "The album name cannot be empty: it names the folder\nthat the merged tracks go into.\n"
    "Please type a name.";
constexpr std::string_view DeviceNameMessage =
    "The album name cannot be CON, PRN, AUX, NUL, COM1 to COM9\nor LPT1 to LPT9, with or "
    "without an extension:\nWindows keeps these names for its devices.\n"
    "Please choose another name.";
constexpr std::string_view TrailingDotMessage =
    "The album name cannot end in a dot or a space:\nWindows drops them from a folder's "
    "name.\nPlease remove them.";

// "COM1" to "COM9" and "LPT1" to "LPT9"; Windows takes "¹", "²" and "³" for digits too.
bool IsNumberedDevice(std::string_view stem) {
    if (!EqualIgnoringAsciiCase(stem.substr(0, 3), "com") &&
        !EqualIgnoringAsciiCase(stem.substr(0, 3), "lpt"))
        return false;
    const std::string_view number = stem.substr(3);
    if (number.size() == 1)
        return number[0] >= '1' && number[0] <= '9';
    return number == "\u00b9" || number == "\u00b2" || number == "\u00b3";
}

}  // namespace

WindowsNameProblem FindWindowsNameProblem(std::string_view name) {
    if (!name.empty() && (name.back() == '.' || name.back() == ' '))
        return WindowsNameProblem::TrailingDotOrSpace;
    // Windows reads a device's name in what comes before the first dot, without the
    // blanks that end it.
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    for (std::string_view device : {"con", "prn", "aux", "nul"}) {
        if (EqualIgnoringAsciiCase(stem, device))
            return WindowsNameProblem::DeviceName;
    }
    return IsNumberedDevice(stem) ? WindowsNameProblem::DeviceName : WindowsNameProblem::None;
}

std::string_view TitleRefusalText(std::string_view title) {
    if (title.empty())
        return EmptyTitleMessage;
    if (title.find_first_of(ForbiddenTitleChars) != std::string_view::npos)
        return ForbiddenTitleMessage;
    if (!platform::RefusesWindowsNames)
        return {};
    switch (FindWindowsNameProblem(title)) {
        case WindowsNameProblem::DeviceName:
            return DeviceNameMessage;
        case WindowsNameProblem::TrailingDotOrSpace:
            return TrailingDotMessage;
        case WindowsNameProblem::None:
            break;
    }
    return {};
}

}  // namespace brambex
