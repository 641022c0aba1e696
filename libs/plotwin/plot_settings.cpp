// Encoding of the pane appearance for the settings store.
#include "plot_settings.h"

namespace {

void Put32(std::vector<BYTE>& out, DWORD v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

DWORD Get32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }

bool ValidColor(DWORD c) { return (c >> 24) == 0; }

}  // namespace

std::vector<BYTE> EncodeAppearance(const PlotAppearance& look) {
    std::vector<BYTE> out;
    out.push_back(kSettingsVersion);
    out.push_back(static_cast<BYTE>((look.grid ? 1 : 0) | (look.legend ? 2 : 0)));
    out.push_back(0);
    out.push_back(0);
    Put32(out, look.background);
    for (COLORREF c : look.colors) Put32(out, c);
    for (BYTE w : look.widths) out.push_back(w);
    return out;
}

bool DecodeAppearance(const BYTE* data, size_t size, PlotAppearance& look) {
    if (!data || size != kEncodedAppearanceSize || data[0] != kSettingsVersion || (data[1] & ~3) != 0) return false;
    PlotAppearance read;
    read.grid = (data[1] & 1) != 0;
    read.legend = (data[1] & 2) != 0;
    read.background = Get32(data + 4);
    if (!ValidColor(read.background)) return false;
    for (int i = 0; i < kSeriesCount; ++i) {
        read.colors[i] = Get32(data + 8 + 4 * i);
        read.widths[i] = data[8 + 4 * kSeriesCount + i];
        if (!ValidColor(read.colors[i]) || read.widths[i] < 1 || read.widths[i] > kMaxLineWidth) return false;
    }
    look = read;
    return true;
}
