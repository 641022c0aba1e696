// Scripted responder (see responder.h).
#include "responder.h"

#include <algorithm>

namespace {
thread_local Responder* t_current = nullptr;

bool IsDialogClass(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

// Another process's icon handles mean nothing here: compare what the icon
// control shows on the screen with each system icon drawn the same size.
UINT IconStyleFromPixels(HWND control, const LPCSTR* ids, const UINT* styles, int n) {
    RECT rc;
    GetWindowRect(control, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0 || w > 256 || h > 256) return 0;
    HDC screen = GetDC(nullptr);
    HDC shown = CreateCompatibleDC(screen), drawn = CreateCompatibleDC(screen);
    HBITMAP shownBmp = CreateCompatibleBitmap(screen, w, h), drawnBmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ o1 = SelectObject(shown, shownBmp), o2 = SelectObject(drawn, drawnBmp);
    BitBlt(shown, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    COLORREF background = GetPixel(shown, w - 1, h - 1);
    UINT best = 0;
    int bestMatches = 0;
    for (int k = 0; k < n; ++k) {
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, w, h};
        FillRect(drawn, &all, brush);
        DeleteObject(brush);
        DrawIconEx(drawn, 0, 0, LoadIconA(nullptr, ids[k]), 0, 0, 0, nullptr, DI_NORMAL);
        int matches = 0;
        for (int y = 0; y < h; y += 2)
            for (int x = 0; x < w; x += 2) matches += GetPixel(shown, x, y) == GetPixel(drawn, x, y);
        if (matches > bestMatches) { bestMatches = matches; best = styles[k]; }
    }
    SelectObject(shown, o1);
    SelectObject(drawn, o2);
    DeleteObject(shownBmp);
    DeleteObject(drawnBmp);
    DeleteDC(shown);
    DeleteDC(drawn);
    ReleaseDC(nullptr, screen);
    return bestMatches * 10 >= ((w + 1) / 2) * ((h + 1) / 2) * 9 ? best : 0;
}

UINT IconStyle(HWND dialog) {
    struct { LPCSTR id; UINT style; } icons[] = {
        {IDI_HAND, MB_ICONERROR}, {IDI_QUESTION, MB_ICONQUESTION},
        {IDI_EXCLAMATION, MB_ICONWARNING}, {IDI_ASTERISK, MB_ICONINFORMATION}};
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0 || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (!icon || !(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
        for (auto& i : icons)
            if (icon == LoadIconA(nullptr, i.id)) return i.style;
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        if (pid != GetCurrentProcessId() && IsWindowVisible(child)) {
            const LPCSTR ids[] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
            const UINT styles[] = {MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION};
            return IconStyleFromPixels(child, ids, styles, 4);
        }
    }
    return 0;
}

bool HasButton(HWND dialog, int id) {
    // The dialog itself may not be shown yet: look at the button's own style.
    HWND b = GetDlgItem(dialog, id);
    return b && (GetWindowLongA(b, GWL_STYLE) & WS_VISIBLE);
}

UINT ButtonStyle(HWND dialog) {
    if (HasButton(dialog, IDABORT)) return MB_ABORTRETRYIGNORE;
    if (HasButton(dialog, IDYES)) return HasButton(dialog, IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
    if (HasButton(dialog, IDRETRY)) return MB_RETRYCANCEL;
    if (HasButton(dialog, IDOK) && HasButton(dialog, IDCANCEL)) return MB_OKCANCEL;
    return MB_OK;
}

std::string MessageText(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0) continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        int n = GetWindowTextLengthA(child);
        if (n <= 0) continue;
        std::string text(n + 1, '\0');
        GetWindowTextA(child, text.data(), n + 1);
        text.resize(n);
        return text;
    }
    return {};
}

// A message box has static text and push buttons only.
bool LooksLikeMessageBox(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0 && lstrcmpiA(cls, "Button") != 0) return false;
    }
    return true;
}

}  // namespace

DialogRecord DescribeDialog(HWND dialog) {
    DialogRecord r;
    char caption[256] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    r.caption = caption;
    r.owner = GetWindow(dialog, GW_OWNER);
    r.messageBox = LooksLikeMessageBox(dialog);
    if (r.messageBox) {
        r.text = MessageText(dialog);
        r.style = IconStyle(dialog) | ButtonStyle(dialog);
    }
    return r;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PumpMessages(int ms) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ms > 0) Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

Responder* Responder::Current() { return t_current; }

Responder::Responder() {
    previous_ = t_current;
    t_current = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

Responder::~Responder() {
    if (hook_) UnhookWindowsHookEx(hook_);
    for (auto& p : pending_) KillTimer(nullptr, p.timer);
    t_current = previous_;
}

void Responder::Press(int buttonId) {
    script_.push_back([buttonId](HWND dialog) { PressButton(dialog, buttonId); });
}

void Responder::Handle(std::function<void(HWND)> action) { script_.push_back(std::move(action)); }

LRESULT CALLBACK Responder::Hook(int code, WPARAM wParam, LPARAM lParam) {
    Responder* self = t_current;
    if (self && code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogClass(window)) self->OnActivate(window);
    }
    return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

void Responder::OnActivate(HWND dialog) {
    // A dialog is handled once, however often it is activated again.
    for (auto& p : pending_)
        if (p.dialog == dialog) return;
    handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND w) { return !IsWindow(w); }),
                   handled_.end());
    if (std::find(handled_.begin(), handled_.end(), dialog) != handled_.end()) return;
    handled_.push_back(dialog);
    records_.push_back(DescribeDialog(dialog));
    std::function<void(HWND)> action;
    if (!script_.empty()) {
        action = std::move(script_.front());
        script_.pop_front();
    } else {
        // Unscripted: close it so that the test does not hang; the record shows it.
        action = [](HWND d) {
            int id = GetDlgItem(d, IDCANCEL) ? IDCANCEL : GetDlgItem(d, IDNO) ? IDNO : IDOK;
            PressButton(d, id);
        };
    }
    UINT_PTR timer = SetTimer(nullptr, 0, 1, RunPending);
    // Window handles are reused: the stamp ties the action to this very dialog,
    // so an action left for a dialog that already closed never hits a new one.
    SetPropA(dialog, "LoopsmithResponder", reinterpret_cast<HANDLE>(timer));
    pending_.push_back({dialog, std::move(action), timer});
}

void CALLBACK Responder::RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    Responder* self = t_current;
    KillTimer(nullptr, id);
    if (!self) return;
    auto it = std::find_if(self->pending_.begin(), self->pending_.end(), [id](const PendingAction& p) { return p.timer == id; });
    if (it == self->pending_.end()) return;
    PendingAction p = std::move(*it);
    self->pending_.erase(it);
    if (IsWindow(p.dialog) && GetPropA(p.dialog, "LoopsmithResponder") == reinterpret_cast<HANDLE>(id)) {
        RemovePropA(p.dialog, "LoopsmithResponder");
        p.action(p.dialog);
    }
}
