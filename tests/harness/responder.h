// Scripted responder for modal dialogs and message boxes shown by the code under
// test. A thread-local WH_CBT hook sees each dialog as it is activated, records
// it (caption, text, style as far as a message box shows it, owner) and runs the
// next scripted action: press a button, or any function over the dialog.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct DialogRecord {
    std::string caption;
    std::string text;      // message text of a message box; empty for other dialogs
    UINT style = 0;        // MB_ICON* | MB_OK/MB_OKCANCEL/... as the box shows them
    HWND owner = nullptr;
    bool messageBox = false;
};

class Responder {
public:
    Responder();
    ~Responder();
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;

    // The next dialog gets this button pressed (IDOK, IDCANCEL, IDYES, IDRETRY, ...).
    void Press(int buttonId);
    // The next dialog is handed to this function (runs from the dialog's own
    // message loop, after it is shown); the function must end the dialog.
    void Handle(std::function<void(HWND)> action);

    const std::vector<DialogRecord>& Records() const { return records_; }
    void ClearRecords() { records_.clear(); }
    size_t Pending() const { return script_.size(); }
    // Forgets the scripted actions no dialog has taken yet.
    void DropScript() { script_.clear(); }

    static Responder* Current();

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD);
    void OnActivate(HWND dialog);

    HHOOK hook_ = nullptr;
    std::deque<std::function<void(HWND)>> script_;
    std::vector<DialogRecord> records_;
    struct PendingAction { HWND dialog; std::function<void(HWND)> action; UINT_PTR timer; };
    std::vector<PendingAction> pending_;
    std::vector<HWND> handled_;
    Responder* previous_ = nullptr;
};

// Reads a message box's text, caption, icon and buttons from its window.
DialogRecord DescribeDialog(HWND dialog);
// Presses a dialog button as a click would.
void PressButton(HWND dialog, int id);
// Lets queued messages run for about ms milliseconds.
void PumpMessages(int ms = 0);
