// Window screenshots as PNG (uncompressed deflate blocks: no zlib needed).
#include "screenshot.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "responder.h"

namespace {

uint32_t Crc(const unsigned char* data, size_t n, uint32_t crc = 0xFFFFFFFFu) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

void Put32(std::vector<unsigned char>& v, uint32_t x) {
    v.push_back(x >> 24); v.push_back(x >> 16); v.push_back(x >> 8); v.push_back(x);
}

void Chunk(FILE* f, const char* type, const std::vector<unsigned char>& data) {
    std::vector<unsigned char> c;
    Put32(c, static_cast<uint32_t>(data.size()));
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    uint32_t crc = Crc(c.data() + 4, c.size() - 4) ^ 0xFFFFFFFFu;
    Put32(c, crc);
    fwrite(c.data(), 1, c.size(), f);
}

std::string ScreenshotDir() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir = dir.substr(0, dir.find_last_of("\\/") + 1) + "screenshots";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    fwrite(signature, 1, 8, f);
    std::vector<unsigned char> ihdr;
    Put32(ihdr, width); Put32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(f, "IHDR", ihdr);

    std::vector<unsigned char> raw;
    size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + y * row, rgb + (y + 1) * row);
    }
    std::vector<unsigned char> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) { a = (a + c) % 65521; b = (b + a) % 65521; }
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + n >= raw.size() ? 1 : 0);
        z.push_back(n & 0xFF); z.push_back(n >> 8);
        z.push_back(~n & 0xFF); z.push_back((~n >> 8) & 0xFF);
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
        if (n == 0) break;
    }
    Put32(z, (b << 16) | a);
    Chunk(f, "IDAT", z);
    Chunk(f, "IEND", {});
    fclose(f);
    return true;
}

namespace {

// 24-bit RGB rows of a 32-bit top-down DIB section.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    // A picture of one colour only shows nothing of the window.
    bool Blank() const {
        for (size_t i = 3; i < rgb.size(); i += 3)
            if (rgb[i] != rgb[0] || rgb[i + 1] != rgb[1] || rgb[i + 2] != rgb[2]) return false;
        return true;
    }
};

// What the screen shows where the window is.
Picture Capture(HWND window) {
    Picture picture;
    RECT rc;
    GetWindowRect(window, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return picture;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    picture.width = w;
    picture.height = h;
    picture.rgb.resize(static_cast<size_t>(w) * h * 3);
    const unsigned char* p = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        picture.rgb[i * 3] = p[i * 4 + 2];
        picture.rgb[i * 3 + 1] = p[i * 4 + 1];
        picture.rgb[i * 3 + 2] = p[i * 4];
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return picture;
}

// True when the window (or one of its children) is what the screen shows at
// the window's centre, not a window covering it.
bool OnTop(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    HWND at = WindowFromPoint(centre);
    return at == window || IsChild(window, at);
}

}  // namespace

std::string SaveWindowScreenshot(HWND window, const std::string& name) {
    // A window that was only just shown may not be on the screen yet: Wine hands
    // it to the X server after ShowWindow returns, and a busy machine maps it
    // late, so an early reading shows a blank rectangle. The window is raised
    // (without taking the focus) and repainted, and the screen is read until
    // the picture shows it (more than one colour, the window on top) and two
    // readings agree; after about three seconds the last reading is kept.
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Picture last;
    for (int attempt = 0; attempt < 30; ++attempt) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        PumpMessages(attempt == 0 ? 200 : 100);
        Picture now = Capture(window);
        bool settled = !now.Blank() && OnTop(window) && now.rgb == last.rgb;
        last = std::move(now);
        if (settled) break;
    }
    if (last.width == 0) return {};
    std::string path = ScreenshotDir() + "\\" + name + ".png";
    return WritePng(path, last.width, last.height, last.rgb.data()) ? path : std::string();
}
