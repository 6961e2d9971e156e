// terminal_posix.cpp - Shift-JIS texts in the terminal's encoding on POSIX, and back.
#include <iconv.h>
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "osapi.h"
#include "posix_shared.h"
#include "sjisbytes.h"

using namespace osposix;

namespace {

// The locale's character set, read once from the environment.
bool TerminalIsUtf8() {
    static const bool utf8 = [] {
        std::setlocale(LC_CTYPE, "");
        const char* codeset = nl_langinfo(CODESET);
        return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    }();
    return utf8;
}

}  // namespace

namespace osposix {

bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buffer(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    const size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || srcLeft != 0) return false;
    out.assign(buffer.data(), buffer.size() - dstLeft);
    return true;
}

}  // namespace osposix

std::string OsTerminalText(const char* text) {
    const std::string in = text ? text : "";
    if (!TerminalIsUtf8()) return in;
    std::string out;
    if (Convert("UTF-8", "CP932", in, out)) return out;
    // A byte without a form in the terminal's encoding is shown as \xNN; the rest stays readable.
    out.clear();
    std::string piece;
    for (size_t i = 0; i < in.size();) {
        const size_t width = static_cast<size_t>(SjisCharBytes(in.c_str() + i));
        if (Convert("UTF-8", "CP932", in.substr(i, width), piece)) {
            out += piece;
        } else {
            for (size_t k = i; k < i + width; ++k) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(in[k]));
                out += escaped;
            }
        }
        i += width;
    }
    return out;
}

// iconv's CP932 maps some characters to look-alikes (the yen sign to the backslash, the overline
// to the tilde, JIS forms such as the wave dash to their Windows forms); a character is taken only
// when its bytes stand for it again, as Windows' conversion without best fit takes it.
bool OsTextFromWide(const std::wstring& wide, std::string& text) {
    text.clear();
    bool whole = true;
    for (const wchar_t character : wide) {
        const std::string unit(reinterpret_cast<const char*>(&character), sizeof character);
        std::string bytes, back;
        if (Convert("CP932", "WCHAR_T", unit, bytes) && Convert("WCHAR_T", "CP932", bytes, back) && back == unit) {
            text += bytes;
        } else {
            text += '?';
            whole = false;
        }
    }
    return whole;
}

bool OsTextFromTerminal(const std::string& typed, std::string& text) {
    if (!TerminalIsUtf8()) {
        text = typed;
        return true;
    }
    std::string units;
    if (!Convert("WCHAR_T", "UTF-8", typed, units)) return false;
    std::wstring wide(units.size() / sizeof(wchar_t), L'\0');
    std::memcpy(&wide[0], units.data(), wide.size() * sizeof(wchar_t));
    return OsTextFromWide(wide, text);
}

bool OsProgramArguments(int argc, char** argv, std::vector<std::string>& arguments) {
    arguments.assign(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    return true;
}
