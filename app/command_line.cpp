// Command line splitting and option parsing.
#include "command_line.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int OptionIndex = 1;
char* OptionValue = nullptr;
int OptionOffender = 0;
int OptionReporting = 1;

namespace {

char* g_position = nullptr;  // inside the argument being parsed
bool g_inside = false;

void Report(const char* format, int letter) {
    if (OptionReporting) std::fprintf(stderr, format, letter);
}

int Refusal(const char* shortOptions) { return shortOptions[0] == ':' ? ':' : '?'; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void ResetOptionParser() {
    OptionIndex = 1;
    OptionValue = nullptr;
    OptionOffender = 0;
    g_position = nullptr;
    g_inside = false;
}

int SplitArguments(char* text, char** slots, int maxSlots) {
    static char programName[] = "program name";
    if (maxSlots < 1) return 0;
    slots[0] = programName;
    int n = 1;
    char* s = text;
    while (s && *s && n < maxSlots) {
        while (IsBlank(*s)) ++s;
        if (!*s) break;
        char* end;
        if (*s == '"') {
            slots[n++] = ++s;
            end = std::strchr(s, '"');
        } else {
            slots[n++] = s;
            end = s;
            while (*end && !IsBlank(*end)) ++end;
        }
        if (!end || !*end) break;
        *end = '\0';
        s = end + 1;
    }
    return n;
}

int GetOption(int count, char** slots, const char* shortOptions, const LongOption* longOptions, int* index) {
    OptionValue = nullptr;
    OptionOffender = 0;
    if (!g_position || !*g_position) g_inside = false;

    if (!g_inside) {
        if (OptionIndex >= count) return -1;
        g_position = slots[OptionIndex++];
    }
    if (*g_position == '-') {
        ++g_position;
        g_inside = true;
    } else if (!g_inside) {
        --OptionIndex;  // not an option: parsing stops here
        return -1;
    }

    if (*g_position == '-') {
        ++g_position;
        while (IsBlank(*g_position)) ++g_position;
        for (int i = 0; longOptions && longOptions[i].name; ++i) {
            const LongOption& o = longOptions[i];
            size_t n = std::strlen(o.name);
            if (_strnicmp(o.name, g_position, n) != 0) continue;
            g_position += n;
            if (index) *index = i;
            int result = o.value;
            if (o.flag) {
                *o.flag = o.value;
                result = 0;
            }
            if (o.hasValue && *g_position == '=') {
                *g_position = '\0';
                OptionValue = g_position + 1;
                g_position = nullptr;
                return result;
            }
            if (o.hasValue == 1) {
                Report("Argument missing for option -%c\n", o.value);
                g_position = nullptr;
                return '?';
            }
            if (o.hasValue == 2) Report("Argument missing for option -%c\n", o.value);
            g_position = nullptr;
            return result;
        }
    }

    int letter = static_cast<unsigned char>(*g_position);
    const char* found = letter ? std::strchr(shortOptions, letter) : nullptr;
    if (!found || letter == ':') {
        Report("Unknown option -%c\n", letter);
        OptionOffender = letter;
        if (*g_position) ++g_position;
        return Refusal(shortOptions);
    }
    ++g_position;
    if (found[1] != ':') return letter;

    // The value is always the whole next argument; the rest of this one is dropped.
    *g_position = '\0';
    g_position = nullptr;
    bool optional = found[2] == ':';
    if (OptionIndex < count && !(optional && slots[OptionIndex][0] == '-')) {
        OptionValue = slots[OptionIndex++];
        return letter;
    }
    if (optional) return letter;
    Report("Argument missing for option -%c\n", letter);
    OptionOffender = letter;
    return Refusal(shortOptions);
}

DWORD ParseStartOptions(char* text) {
    static const LongOption options[] = {{"axis", 1, nullptr, 'a'}, {"board", 1, nullptr, 'b'}, {nullptr, 0, nullptr, 0}};
    char* slots[32];
    int count = SplitArguments(text, slots, 32);
    unsigned short axis = 0, board = 0x8000;
    ResetOptionParser();
    OptionReporting = 0;
    int index = 0, option;
    while ((option = GetOption(count, slots, "a:b:", options, &index)) != -1) {
        if (option == 'a' && OptionValue) axis = static_cast<unsigned short>(std::strtol(OptionValue, nullptr, 10));
        if (option == 'b' && OptionValue) board = static_cast<unsigned short>(std::strtol(OptionValue, nullptr, 10));
    }
    return (static_cast<DWORD>(board) << 16) | axis;
}
