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

bool OsTextFromTerminal(const std::string& typed, std::string& text) {
    if (!TerminalIsUtf8()) {
        text = typed;
        return true;
    }
    return Convert("CP932", "UTF-8", typed, text);
}
