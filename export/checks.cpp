// checks.cpp - code checks, the written-codes index and the entries of the link error log.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "assetwriter.h"
#include "conversions.h"
#include "sjisbytes.h"
#include "messages.h"

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
// The data file is written without quotes, so a comma or line break inside a text would shift
// every later column of the row; such characters are replaced and the user is told.
const char MsgTextSeparator[] =
    "\n＜WARNING＞\n｢%"
    "s｣の半角カンマ・改行は、\n自動的に｢､｣・空白に置き換えられます。";

const char MsgBreakdownNameLength[] =
    "\n＜WARNING＞\n内訳名称｢%"
    "s｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。";

int ClAssetWriter::WriteLinkMessage(const char* text) {
    m_errorLog.Attach(&m_header);
    m_header.ClearRecord();
    // Cut on a character boundary: an entry never ends in half a character.
    std::memcpy(m_header.Record(), text, SjisFitBytes(text, kHeaderTextBytes));
    NoteWrite(ErrorLog, m_header.Write());
    return 1;
}

// Formats in full, then leaves the cut to WriteLinkMessage. Every "%08s" argument is an
// eight-byte code already, so the runtime's handling of that flag never shows.
void ClAssetWriter::LinkMessage(const char* format, ...) {
    char text[kMessageBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    WriteLinkMessage(text);
}

int ClAssetWriter::CheckCodeChars(short kind, const char* code) {
    for (const char* p = code; *p != '\0'; ++p) {
        const char c = *p;
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (kind == 2 ? !letter : !(letter || digit)) return 0;
    }
    return 1;
}

short ClAssetWriter::RegisterCode(const char* code) {
    // The list holds every code once, so the entry equal to the code and the one equal to its
    // prefix are unique; the one registered first is the first the ordered walk would meet.
    const size_t length = std::strlen(code);
    const std::string whole(code, length);
    const auto same = m_codes.find(whole);
    auto prefix = m_codes.end();
    if (length > 6) prefix = m_codes.find(whole.substr(0, 6));
    if (same != m_codes.end() && (prefix == m_codes.end() || same->second < prefix->second)) return 1;
    if (prefix != m_codes.end()) return 2;
    m_codes.emplace(whole, m_codes.size());
    return 0;
}
