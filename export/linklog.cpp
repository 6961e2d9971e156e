// linklog.cpp - the link error log: the texts of its entries, their formatting, the cut and the closing.
#include "linklog.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "decimal.h"
#include "hostfields.h"

const char MsgCodeDigits[] =
    "\n＜WARNING＞\n資産コード｢%"
    "s｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携されない可能性があります。";
const char MsgCodeChars[] = "\n＜ERROR＞\n資産コード｢%s｣には、半角英数以外の文字が使用されています。";
const char MsgCodeDuplicate[] = "\n＜ERROR＞\n資産コード｢%s｣は、他の資産コードと重複してしまいます。";
const char MsgTypeDigits[] =
    "\n＜WARNING＞\n資産種類コード｢%"
    "d｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携されない可能性があります。";
const char MsgNameLength[] =
    "\n＜WARNING＞\n資産名称｢%"
    "s｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。";
const char MsgQuantityDigits[] =
    "\n＜WARNING＞\n数量｢%."
    "2f｣は、連携可能最大桁数をオーバーしています。\n減価償却データが、正しく連携されない可能性があります。";
const char MsgAmountDigits[] = "\n＜ERROR＞\n金額｢%s｣は、連携可能最大桁数をオーバーしています。";
const char MsgMemoLength[] =
    "\n＜WARNING＞\nメモ欄｢%"
    "s｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。";
const char MsgBreakdownLimit[] =
    "\n＜WARNING＞\n連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。";
const char MsgBreakdownCodeDigits[] =
    "\n＜WARNING＞\n資産コード+内訳付番｢%s%"
    "s｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携されない可能性があります。";
const char MsgBreakdownCodeChars[] =
    "\n＜ERROR＞\n資産コード｢%08s｣には、半角英数以外の文字が使用されています。";
const char MsgBreakdownDuplicate[] =
    "\n＜ERROR＞\n資産コード｢%s｣と内訳付番｢%s｣から構成される\n資産・内訳コード｢%"
    "08s｣は、\n他の資産･内訳コードと重複しています。";
const char MsgBreakdownPrefixDuplicate[] =
    "\n＜ERROR＞\n資産コード+内訳付番｢%08s｣は、\n資産コード｢%s｣が他の資産コードと重複してしまいます。";
const char MsgBreakdownNameLength[] =
    "\n＜WARNING＞\n内訳名称｢%"
    "s｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。";
// The data file is written without quotes, so a comma or line break inside a text would shift
// every later column of the row; such characters are replaced and the user is told.
const char MsgTextSeparator[] =
    "\n＜WARNING＞\n｢%"
    "s｣の半角カンマ・改行は、\n自動的に｢､｣・空白に置き換えられます。";

// What the host could not hand over is named, so that a run never passes over it in silence.
const char MsgAssetUnread[] = "\n＜ERROR＞\n%d件目の資産を読み込めませんでした。\nこの資産は出力されません。";
const char MsgBreakdownUnread[] =
    "\n＜ERROR＞\n資産コード｢%s｣の%d件目の内訳を読み込めませんでした。\nこの内訳は出力されません。";
const char MsgCategoriesUnread[] =
    "\n＜ERROR＞\n資産種類を読み込めませんでした。\n資産種類データに資産種類は出力されません。";

namespace {

enum { kMessageBytes = 2048 };

// What vsnprintf makes of the conversions the log's texts use: %s, %d, %.2f, and %08s of a text of
// eight bytes or more. False for anything else, which then goes to vsnprintf itself. Gain: 868
// instructions a data row (1.4 entries), 8.9 % of the engine (callgrind, bench at 10k assets);
// LinkLog.EntriesAreWhatPrintfMakesOfThem holds it to vsnprintf.
bool FormatPlain(char* text, size_t size, const char* format, va_list args) {
    size_t n = 0;
    auto append = [&](const char* bytes, size_t count) {
        const size_t take = count < size - 1 - n ? count : size - 1 - n;
        std::memcpy(text + n, bytes, take);
        n += take;
    };
    for (const char* p = format; *p != '\0';) {
        const char* percent = std::strchr(p, '%');
        if (!percent) {
            append(p, std::strlen(p));
            break;
        }
        append(p, static_cast<size_t>(percent - p));
        p = percent + 1;
        if (p[0] == 's') {
            const char* arg = va_arg(args, const char*);
            append(arg, std::strlen(arg));
            p += 1;
        } else if (p[0] == 'd') {
            char digits[16];
            append(digits,
                   static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, va_arg(args, int)).ptr -
                                       digits));
            p += 1;
        } else if (p[0] == '0' && p[1] == '8' && p[2] == 's') {
            const char* arg = va_arg(args, const char*);
            const size_t length = std::strlen(arg);
            if (length < 8) return false;  // the flag would show
            append(arg, length);
            p += 3;
        } else if (p[0] == '.' && p[1] == '2' && p[2] == 'f') {
            const double x = va_arg(args, double);
            char number[512];
            size_t length = 0;
            if (x == std::floor(x) && std::fabs(x) < 1e15) {
                // A whole value, as quantities mostly are: its digits and ".00".
                if (std::signbit(x)) number[length++] = '-';
                length += PutDecimal(static_cast<uint64_t>(std::fabs(x)), number + length);
                std::memcpy(number + length, ".00", 3);
                length += 3;
            } else {
                const int n = std::snprintf(number, sizeof number, "%.2f", x);
                if (n < 0 || static_cast<size_t>(n) >= sizeof number) return false;
                length = static_cast<size_t>(n);
            }
            append(number, length);
            p += 3;
        } else {
            return false;
        }
    }
    text[n] = '\0';
    return true;
}

}  // namespace

ClLinkLog::ClLinkLog(ClOutputFiles& files, ClHeaderAccessor& line)
    : m_files(files), m_line(line), m_entries(0) {}

// Formats in full, then leaves the cut to WriteLinkMessage. Every "%08s" argument is an
// eight-byte code already, so the runtime's handling of that flag never shows.
void ClLinkLog::LinkMessage(const char* format, ...) {
    char text[kMessageBytes];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    if (!FormatPlain(text, sizeof text, format, args)) std::vsnprintf(text, sizeof text, format, again);
    va_end(again);
    va_end(args);
    WriteLinkMessage(text);
}

void ClLinkLog::WriteLinkMessage(const char* text) {
    ++m_entries;
    m_files.NoteWrite(ErrorLog, WriteLine(*m_files.File(ErrorLog), m_line, text));
}

void ClLinkLog::UnreadAssetMessage(long index) { LinkMessage(MsgAssetUnread, static_cast<int>(index + 1)); }

void ClLinkLog::UnreadBreakdownMessage(const StKOTEISHISANINFO& master, long index) {
    const StField code(master.assetCode);
    LinkMessage(MsgBreakdownUnread, code.text, static_cast<int>(index + 1));
}

void ClLinkLog::UnreadCategoriesMessage() { LinkMessage(MsgCategoriesUnread); }

void ClLinkLog::Close() {
    if (m_entries == 0)
        m_files.Discard(ErrorLog);
    else
        m_files.Close(ErrorLog);
}
