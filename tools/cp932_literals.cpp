// cp932_literals.cpp - writes a Shift-JIS source with every byte above 0x7F as an octal escape, so
// that clang, which has no CP932 execution character set, compiles its literals to the same bytes.
// Used by the fuzz build for the format tables, whose names fill fixed fields in Shift-JIS.
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::FILE* in = std::fopen(argv[1], "rb");
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!in || !out) return 1;
    bool trail = false;
    for (int c; (c = std::fgetc(in)) != EOF;) {
        const bool lead = !trail && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
        // A trail byte may be a backslash or a letter: escaped too, never read as itself.
        if (c >= 0x80 || trail)
            std::fprintf(out, "\\%03o", c);
        else
            std::fputc(c, out);
        trail = lead;
    }
    return std::fclose(out) == 0 && std::fclose(in) == 0 ? 0 : 1;
}
