#include "shell_win32/merge_options_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/merge_options_view.h"
#include "options/merge_options_form.h"
#include "platform/win32.h"
#include "shell_win32/controls.h"
#include "shell_win32/help.h"
#include "shell_win32/resource_ids.h"

namespace brambex::win32 {

namespace {

class MergeOptionsDialog {
  public:
    explicit MergeOptionsDialog(MergeOptionsForm& form) : form_(form) {}
    ~MergeOptionsDialog() { form_.SetChangedCallback(nullptr); }

    bool Run(HWND owner) {
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MERGE_OPTIONS),
                               owner, Proc, reinterpret_cast<LPARAM>(this)) == IDOK;
    }

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            reinterpret_cast<MergeOptionsDialog*>(lParam)->SetUp(window);
            return TRUE;
        }
        auto* self = reinterpret_cast<MergeOptionsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        if (self && message == WM_COMMAND)
            return self->Command(LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    }

    void SetUp(HWND window) {
        window_ = window;
        for (int field : {IDC_TITLE, IDC_ARTIST, IDC_NAME})
            SendDlgItemMessageW(window_, field, EM_LIMITTEXT, MergeOptionsForm::EditTypingLimit, 0);
        SendDlgItemMessageW(window_, IDC_GENRE, CB_LIMITTEXT, MergeOptionsForm::GenreTypingLimit,
                            0);
        SendDlgItemMessageW(window_, IDC_BITRATE, EM_LIMITTEXT,
                            MergeOptionsForm::BitrateTypingLimit, 0);
        for (const GenreEntry& entry : form_.GenreList())
            SendDlgItemMessageW(window_, IDC_GENRE, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(platform::Widen(entry.name).c_str()));
        for (const FormatEntry& entry : OfferedFormats())
            AddChoice(IDC_FORMAT, entry.caption);
        for (const JobsEntry& entry : JobsEntries())
            AddChoice(IDC_JOBS, entry.caption);
        SetUpList(GetDlgItem(window_, IDC_PREVIEW_LIST), {"File", "Title"});
        form_.SetChangedCallback([this] { ShowForm(); });
        ShowForm();
    }

    void AddChoice(int box, std::string_view caption) {
        SendDlgItemMessageW(window_, box, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(platform::Widen(caption).c_str()));
    }

    // The entry chosen in a drop-down list, or -1.
    int Chosen(int box) const {
        const auto index = SendDlgItemMessageW(window_, box, CB_GETCURSEL, 0, 0);
        return index == CB_ERR ? -1 : static_cast<int>(index);
    }

    INT_PTR Command(int id, int code) {
        // Only the user's own actions go to the form; what ShowForm puts into a
        // control must not come back as an edit.
        if (showing_)
            return FALSE;
        switch (id) {
            case IDC_MUSIC:
                if (code == BN_CLICKED)
                    form_.ChooseMusic();
                return TRUE;
            case IDC_AUDIOBOOKS:
                if (code == BN_CLICKED)
                    form_.ChooseAudioBooks();
                return TRUE;
            case IDC_KEEP_GENRE:
                form_.SetKeepGenre(ItemChecked(window_, id));
                return TRUE;
            case IDC_KEEP_ALBUM:
                form_.SetKeepAlbumTitle(ItemChecked(window_, id));
                return TRUE;
            case IDC_KEEP_ARTIST:
                form_.SetKeepArtist(ItemChecked(window_, id));
                return TRUE;
            case IDC_KEEP_NAMES:
                form_.SetKeepTrackNames(ItemChecked(window_, id));
                return TRUE;
            case IDC_TITLE:
            case IDC_ARTIST:
            case IDC_NAME:
                if (code == EN_CHANGE)
                    Edited(id);
                return TRUE;
            case IDC_GENRE:
                GenreCommand(code);
                return TRUE;
            case IDC_BITRATE:
                if (code == EN_CHANGE)
                    form_.SetBitrateText(ItemText(window_, id));
                return TRUE;
            case IDC_MONO:
                form_.SetMono(ItemChecked(window_, id));
                return TRUE;
            case IDC_FORMAT:
                if (code == CBN_SELCHANGE && Chosen(id) >= 0)
                    form_.SetFormat(OfferedFormats()[static_cast<std::size_t>(Chosen(id))].format);
                return TRUE;
            case IDC_JOBS:
                if (code == CBN_SELCHANGE && Chosen(id) >= 0)
                    form_.SetJobs(JobsEntries()[static_cast<std::size_t>(Chosen(id))].jobs);
                return TRUE;
            case IDOK:
                StartMerge();
                return TRUE;
            case IDCANCEL:
                EndDialog(window_, IDCANCEL);
                return TRUE;
            case IDC_HELP_BUTTON:
                ShowHelp(window_);
                return TRUE;
        }
        return FALSE;
    }

    void Edited(int id) {
        const std::string text = ItemText(window_, id);
        if (id == IDC_TITLE)
            form_.SetTitleText(text);
        else if (id == IDC_ARTIST)
            form_.SetArtistText(text);
        else
            form_.SetNameText(text);
    }

    void GenreCommand(int code) {
        if (code == CBN_EDITCHANGE) {
            form_.SetGenreText(ItemText(window_, IDC_GENRE));
        } else if (code == CBN_SELCHANGE) {
            const auto index = SendDlgItemMessageW(window_, IDC_GENRE, CB_GETCURSEL, 0, 0);
            if (index != CB_ERR)
                form_.PickGenre(static_cast<int>(index));
        }
    }

    void StartMerge() {
        if (std::optional<Message> refusal = form_.Refusal()) {
            ShowMessageBox(
                window_, refusal->text,
                refusal->caption ? std::optional<std::string_view>(*refusal->caption) : NoCaption,
                refusal->kind);
            return;
        }
        EndDialog(window_, IDOK);
    }

    void ShowField(int group, const std::string& caption, int field, const FieldState& state) {
        SetItemText(window_, group, caption);
        SetItemText(window_, field, state.text);
        EnableItem(window_, field, state.enabled);
    }

    void ShowCheck(int id, const CheckState& state, const std::string& caption) {
        SetItemText(window_, id, caption);
        CheckItem(window_, id, state.checked);
    }

    // The captions with their Alt keys follow the type of CDs chosen.
    void ShowCaptions() {
        const MergeOptionsCaptions captions = MarkedCaptions(form_);
        for (auto [id, caption] : {std::pair{IDOK, &captions.start},
                                   {IDCANCEL, &captions.cancel},
                                   {IDC_HELP_BUTTON, &captions.help},
                                   {IDC_MUSIC, &captions.music},
                                   {IDC_AUDIOBOOKS, &captions.audioBooks},
                                   {IDC_GENRE_GROUP, &captions.genre},
                                   {IDC_FORMAT_GROUP, &captions.format},
                                   {IDC_JOBS_LABEL, &captions.jobs},
                                   {IDC_BITRATE_LABEL, &captions.bitrate},
                                   {IDC_MONO, &captions.mono}})
            SetItemText(window_, id, *caption);
        ShowCheck(IDC_KEEP_GENRE, form_.KeepGenre(), captions.keepGenre);
        ShowCheck(IDC_KEEP_ALBUM, form_.KeepAlbumTitle(), captions.keepAlbumTitle);
        ShowCheck(IDC_KEEP_ARTIST, form_.KeepArtist(), captions.keepArtist);
        ShowCheck(IDC_KEEP_NAMES, form_.KeepTrackNames(), captions.keepTrackNames);
        ShowField(IDC_TITLE_GROUP, captions.title, IDC_TITLE, form_.Title());
        ShowField(IDC_ARTIST_GROUP, captions.artist, IDC_ARTIST, form_.Artist());
        ShowField(IDC_NAME_GROUP, captions.name, IDC_NAME, form_.Name());
    }

    void ShowForm() {
        showing_ = true;
        CheckItem(window_, IDC_MUSIC, form_.MusicChecked());
        CheckItem(window_, IDC_AUDIOBOOKS, form_.AudioBooksChecked());
        ShowCaptions();
        // A library's sets keep their own title and artist: a note stands there instead.
        const bool shared = form_.SharedAmongSets();
        for (int id : {IDC_TITLE_GROUP, IDC_TITLE, IDC_ARTIST_GROUP, IDC_ARTIST})
            ShowItem(window_, id, !shared);
        SetItemText(window_, IDC_SHARED_NOTE, form_.SharedNote());
        ShowItem(window_, IDC_SHARED_NOTE, shared);
        ShowGenre();
        SendDlgItemMessageW(window_, IDC_FORMAT, CB_SETCURSEL,
                            static_cast<WPARAM>(FormatIndex(form_.Format())), 0);
        const std::vector<JobsEntry> jobs = JobsEntries();
        for (std::size_t i = 0; i < jobs.size(); ++i)
            if (jobs[i].jobs == form_.Jobs())
                SendDlgItemMessageW(window_, IDC_JOBS, CB_SETCURSEL, i, 0);
        // The bitrate and mono stay in place, usable for an M4B book alone; a build that
        // writes none shows them not at all.
        SetItemText(window_, IDC_BITRATE, form_.Bitrate().text);
        CheckItem(window_, IDC_MONO, form_.Mono());
        for (int id : {IDC_BITRATE_LABEL, IDC_BITRATE, IDC_MONO}) {
            ShowItem(window_, id, FormatOffered(OutputFormat::M4bBook));
            EnableItem(window_, id, BookStreamOffered(form_));
        }
        ShowPreview();
        showing_ = false;
    }

    // Changing the selection rewrites the edit field; what the user is typing comes
    // back with the caret where it was.
    void ShowGenre() {
        HWND box = GetDlgItem(window_, IDC_GENRE);
        const int selection = form_.GenreSelection().value_or(-1);
        if (SendMessageW(box, CB_GETCURSEL, 0, 0) != selection)
            SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
        if (ItemText(window_, IDC_GENRE) != form_.Genre().text) {
            SetItemText(window_, IDC_GENRE, form_.Genre().text);
            SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(-1, -1));
        }
        if (form_.GenreTextHighlighted())
            SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        EnableItem(window_, IDC_GENRE, form_.Genre().enabled);
    }

    void ShowPreview() {
        const MergePreview preview = form_.Preview();
        const PreviewLines lines = ListPreview(preview, form_.Format(), BookStreamText(form_));
        HWND list = GetDlgItem(window_, IDC_PREVIEW_LIST);
        std::wstring first = platform::Widen(lines.firstColumn);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = first.data();
        ListView_SetColumn(list, 0, &column);
        std::vector<std::vector<std::string>> rows;
        for (const auto& [name, title] : lines.rows)
            rows.push_back({name, title});
        SetListRows(list, rows);
        SetItemText(window_, IDC_PREVIEW_FOLDERS, lines.heading);
        // Start Merge waits for the field at fault, which bears a warning sign that
        // says what is wrong when pointed at, as the line under the fields does.
        const FormProblems problems = FindFormProblems(form_, preview);
        ShowWarningSign(window_, IDC_TITLE_MARK, problems.title, tips_);
        ShowWarningSign(window_, IDC_NAME_MARK, problems.name, tips_);
        ShowWarningSign(window_, IDC_BITRATE_MARK, problems.bitrate, tips_);
        SetItemText(window_, IDC_PROBLEM, problems.FieldProblem());
        EnableItem(window_, IDOK, problems.StartEnabled());
    }

    MergeOptionsForm& form_;
    HWND window_ = nullptr;
    HWND tips_ = nullptr;  // the warning signs' tips
    bool showing_ = false;
};

}  // namespace

bool RunMergeOptionsDialog(HWND owner, MergeOptionsForm& form) {
    MergeOptionsDialog dialog(form);
    return dialog.Run(owner);
}

}  // namespace brambex::win32
