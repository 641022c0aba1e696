// Description texts of the controller and module types of the simulated bench.
#include "descriptions.h"

#include <cstring>
#include <iterator>

#include "zqdlg32.h"

namespace zqdlg {

namespace {

struct TypeText { int type; const char* shortText; const char* longText; };

// Long texts stay within 31 characters: callers hold them in 32-byte buffers.
constexpr TypeText kControllers[] = {
    {4, "ZM-4", "ZM-4 Fixed Point Servo"},
    {6, "ZM-6", "ZM-6 Floating Point Servo"},
    {8, "ZM-8", "ZM-8 Multiplexed Servo"},
};

constexpr TypeText kModules[] = {
    {1, "SV-1", "SV-1 Servo"},
    {2, "ST-2", "ST-2 Stepper"},
};

const char* Find(const TypeText* table, std::size_t n, int type, int form) {
    for (std::size_t i = 0; i < n; ++i)
        if (table[i].type == type) return form == kDescShort ? table[i].shortText : table[i].longText;
    return nullptr;
}

}  // namespace

const char* ControllerDescription(int type, int form) {
    return Find(kControllers, std::size(kControllers), type, form);
}

const char* ModuleDescription(int type, int form) {
    return Find(kModules, std::size(kModules), type, form);
}

const char* CommandFileExtension(int) { return "zpc"; }

int FillText(const char* text, char* buffer, int size) {
    if (!buffer || size < 1) return kDlgErrBadArgument;
    std::size_t length = std::strlen(text);
    std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t n = length < room ? length : room;
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return n < length ? kDlgErrBufferTooSmall : 0;
}

int FillDescription(const char* text, char* buffer, int size) {
    int r = FillText(text ? text : "Unknown", buffer, size);
    return r == 0 && !text ? kDlgErrUnknownType : r;
}

}  // namespace zqdlg
