// screen.cpp - the condition dialog, its message boxes and the file-save prompt drawn as ANSI text.
#include "screen.h"

#include <cstdio>
#include <vector>

#include "osapi.h"
#include "sjisbytes.h"

std::string Shown(const std::string& sjis) { return OsTerminalText(sjis.c_str()); }

std::string At(int row, int column) {
    char text[32];
    std::snprintf(text, sizeof text, "\x1b[%d;%dH", (row < 0 ? 0 : row) + 1, (column < 0 ? 0 : column) + 1);
    return text;
}

namespace {

const int kDialogWidth = 68;
const int kDialogHeight = 15;

std::string Repeat(char c, int count) { return count > 0 ? std::string(static_cast<size_t>(count), c) : ""; }

// A frame of "+", "-" and "|" with blank inside; the title line is separated when titled.
std::string Frame(int top, int left, int height, int width, bool titled) {
    std::string out;
    const std::string rule = "+" + Repeat('-', width - 2) + "+";
    const std::string blank = "|" + Repeat(' ', width - 2) + "|";
    for (int row = 0; row < height; ++row) {
        const bool border = row == 0 || row == height - 1 || (titled && row == 2);
        out += At(top + row, left) + (border ? rule : blank);
    }
    return out;
}

// A control's text with its mnemonic ("&D") underlined; columns gets the width shown.
std::string Label(const std::string& sjis, size_t& columns) {
    std::string plain;
    std::string out;
    for (size_t i = 0; i < sjis.size();) {
        const size_t width = static_cast<size_t>(SjisCharBytes(sjis.c_str() + i));
        if (width == 1 && sjis[i] == '&' && i + 1 < sjis.size()) {
            const size_t next = static_cast<size_t>(SjisCharBytes(sjis.c_str() + i + 1));
            out += Shown(plain) + "\x1b[4m" + Shown(sjis.substr(i + 1, next)) + "\x1b[24m";
            columns += SjisColumns(sjis.substr(i + 1, next));
            plain.clear();
            i += 1 + next;
            continue;
        }
        plain += sjis.substr(i, width);
        columns += SjisColumns(sjis.substr(i, width));
        i += width;
    }
    return out + Shown(plain);
}

std::string Button(const std::string& sjis, bool focused, size_t& columns) {
    columns = 2;
    const std::string label = Label(sjis, columns);
    return focused ? "\x1b[7m[" + label + "]\x1b[27m" : "[" + label + "]";
}

size_t ButtonColumns(const std::string& sjis) {
    size_t columns = 0;
    Button(sjis, false, columns);
    return columns;
}

// The text cut to whole characters that fit columns.
std::string Cut(const std::string& sjis, size_t columns) {
    return sjis.substr(0, SjisFitColumns(sjis, columns));
}

// Lines of a box text: LF breaks, and lines wider than columns are wrapped at whole characters.
std::vector<std::string> WrapLines(const std::string& text, size_t columns) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        do {
            size_t take = SjisFitColumns(line, columns);
            if (take == 0 && !line.empty()) take = static_cast<size_t>(SjisCharBytes(line.c_str()));
            lines.push_back(line.substr(0, take));
            line.erase(0, take);
        } while (!line.empty());
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// An edit field of columns cells: the visible part of the text, the selection shown when focused.
// caretColumn gets the caret's cell, relative to the field.
std::string EditField(ClLineEdit& edit, size_t columns, bool focused, size_t& caretColumn) {
    const size_t scroll = edit.ScrollFor(columns);
    const std::string& text = edit.Text();
    const std::string visible = text.substr(scroll, SjisFitColumns(text.substr(scroll), columns));
    const std::string pad = Repeat(' ', static_cast<int>(columns - SjisColumns(visible)));
    caretColumn = SjisColumns(text.substr(scroll, edit.Caret() - scroll));
    if (!focused) return Shown(visible) + pad;
    const auto clamp = [&](size_t at) {
        const size_t rel = at < scroll ? 0 : at - scroll;
        return rel > visible.size() ? visible.size() : rel;
    };
    const size_t from = clamp(edit.SelectionStart());
    const size_t to = clamp(edit.SelectionEnd());
    // Focused: the field in reverse video, its selection in normal video and underlined.
    return "\x1b[7m" + Shown(visible.substr(0, from)) + "\x1b[27;4m" +
           Shown(visible.substr(from, to - from)) + "\x1b[24;7m" + Shown(visible.substr(to)) + pad +
           "\x1b[27m";
}

}  // namespace

std::string DrawDialog(int screenRows, int screenColumns, const std::string& company,
                       const std::string& period, ClLineEdit& path, int focus, int& cursorRow,
                       int& cursorColumn) {
    const int width = screenColumns < kDialogWidth ? (screenColumns < 40 ? 40 : screenColumns) : kDialogWidth;
    const int top = screenRows > kDialogHeight ? (screenRows - kDialogHeight) / 2 : 0;
    const int left = screenColumns > width ? (screenColumns - width) / 2 : 0;
    std::string out = Frame(top, left, kDialogHeight, width, true);
    out += At(top + 1, left + 2) + "\x1b[1m" + Shown("減価償却 - 集計条件") + "\x1b[22m";

    const std::string companyLabel = "事業所名 ： ";
    const size_t textColumns = static_cast<size_t>(width - 5) - SjisColumns(companyLabel);
    out += At(top + 4, left + 3) + Shown(companyLabel + Cut(company, textColumns));
    out += At(top + 6, left + 3) + Shown("会計期間 ： " + Cut(period, textColumns));

    // The group box with the path box and the browse button.
    const int groupLeft = left + 3;
    const int groupWidth = width - 6;
    out += Frame(top + 8, groupLeft, 3, groupWidth, false);
    size_t groupColumns = 0;
    out += At(top + 8, groupLeft + 2) + " " + Label("出力先(&O)", groupColumns) + " ";

    size_t browseColumns = 0;
    const std::string browse = Button("参照(&D)...", focus == IDC_BROWSE, browseColumns);
    const int fieldColumns = groupWidth - 7 - static_cast<int>(browseColumns);
    size_t caret = 0;
    const bool pathFocused = focus == IDC_PATH;
    out += At(top + 9, groupLeft + 2) + "[" +
           EditField(path, static_cast<size_t>(fieldColumns > 1 ? fieldColumns : 1), pathFocused, caret) +
           "]";
    out += At(top + 9, groupLeft + 2 + fieldColumns + 3) + browse;
    cursorRow = pathFocused ? top + 9 : -1;
    cursorColumn = groupLeft + 3 + static_cast<int>(caret);

    size_t executeColumns = 0;
    size_t cancelColumns = 0;
    const std::string execute = Button("実行(F12)", focus == IDC_EXECUTE, executeColumns);
    const std::string cancel = Button("キャンセル(Esc)", focus == IDC_CANCEL, cancelColumns);
    const int buttonsLeft = left + width - 3 - static_cast<int>(executeColumns + 2 + cancelColumns);
    out += At(top + 12, buttonsLeft) + execute + "  " + cancel;
    return out;
}

std::string DrawMessageBox(int screenRows, int screenColumns, const std::string& text,
                           const std::string& caption, unsigned type, int focused, int& cursorRow) {
    const bool question = type == MB_TYPE_QUESTION;
    const std::string icon = question ? "(?)" : type == MB_TYPE_REFUSAL ? "(!)" : "(i)";
    const size_t room = screenColumns > 20 ? static_cast<size_t>(screenColumns - 12) : 8;
    const std::vector<std::string> lines = WrapLines(text, room);
    size_t textColumns = 0;
    for (const std::string& line : lines)
        textColumns = SjisColumns(line) > textColumns ? SjisColumns(line) : textColumns;

    const std::string yes = "はい(&Y)";
    const std::string no = "いいえ(&N)";
    const size_t buttonsColumns =
        question ? ButtonColumns(yes) + 2 + ButtonColumns(no) : ButtonColumns(" OK ");
    size_t width = textColumns + icon.size() + 7;
    if (SjisColumns(caption) + 4 > width) width = SjisColumns(caption) + 4;
    if (buttonsColumns + 6 > width) width = buttonsColumns + 6;
    if (width > static_cast<size_t>(screenColumns)) width = static_cast<size_t>(screenColumns);
    const int height = static_cast<int>(lines.size()) + 7;
    const int top = screenRows > height ? (screenRows - height) / 2 : 0;
    const int left =
        screenColumns > static_cast<int>(width) ? (screenColumns - static_cast<int>(width)) / 2 : 0;

    std::string out = Frame(top, left, height, static_cast<int>(width), true);
    out += At(top + 1, left + 2) + "\x1b[1m" + Shown(Cut(caption, width - 4)) + "\x1b[22m";
    out += At(top + 4, left + 2) + "\x1b[1m" + icon + "\x1b[22m";
    for (size_t i = 0; i < lines.size(); ++i)
        out += At(top + 4 + static_cast<int>(i), left + 3 + static_cast<int>(icon.size())) + Shown(lines[i]);
    const int buttonsLeft = left + (static_cast<int>(width) - static_cast<int>(buttonsColumns)) / 2;
    size_t columns = 0;
    if (question)
        out += At(top + height - 2, buttonsLeft) + Button(yes, focused == 0, columns) + "  " +
               Button(no, focused == 1, columns);
    else
        out += At(top + height - 2, buttonsLeft) + Button(" OK ", true, columns);
    cursorRow = -1;
    return out;
}

std::string DrawSavePrompt(int screenRows, int screenColumns, const StSAVEREQUEST& request, ClLineEdit& edit,
                           const std::string& note, int& cursorRow, int& cursorColumn) {
    const int width = screenColumns < 76 ? screenColumns : 76;
    const int height = 14;
    const int top = screenRows > height ? (screenRows - height) / 2 : 0;
    const int left = screenColumns > width ? (screenColumns - width) / 2 : 0;
    std::string out = Frame(top, left, height, width, true);
    out += At(top + 1, left + 2) + "\x1b[1m" + Shown(Cut(request.title ? request.title : "", width - 4)) +
           "\x1b[22m";
    // The filter's first entry, in the framework's form "text|pattern||".
    const std::string filter = request.filter ? request.filter : "";
    const struct {
        const char* label;
        std::string value;
    } lines[] = {{"フォルダ", request.initialFolder ? request.initialFolder : ""},
                 {"ファイル名", request.fileName ? request.fileName : ""},
                 {"ファイルの種類", filter.substr(0, filter.find('|'))}};
    const size_t labelColumns = SjisColumns("ファイルの種類");
    const size_t room =
        width > static_cast<int>(labelColumns) + 12 ? static_cast<size_t>(width) - labelColumns - 10 : 1;
    for (size_t i = 0; i < 3; ++i) {
        const std::string label = lines[i].label;
        out += At(top + 4 + static_cast<int>(i), left + 3) +
               Shown(label + Repeat(' ', static_cast<int>(labelColumns - SjisColumns(label))) + " ： " +
                     Cut(lines[i].value, room));
    }
    size_t caret = 0;
    const int fieldColumns = width - 8;
    out +=
        At(top + 8, left + 3) + "[" + EditField(edit, static_cast<size_t>(fieldColumns), true, caret) + "]";
    if (!note.empty()) out += At(top + 9, left + 4) + "\x1b[1m" + Shown(Cut(note, width - 6)) + "\x1b[22m";
    size_t columns = 0;
    const std::string buttons = Button("保存(Enter)", false, columns) + "  ";
    size_t cancelColumns = 0;
    const std::string cancel = Button("キャンセル(Esc)", false, cancelColumns);
    out += At(top + height - 3, left + width - 3 - static_cast<int>(columns + 2 + cancelColumns)) + buttons +
           cancel;
    cursorRow = top + 8;
    cursorColumn = left + 4 + static_cast<int>(caret);
    return out;
}
