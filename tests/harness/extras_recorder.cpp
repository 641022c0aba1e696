// Pane subclass that records the plot library's own messages.
#include "extras_recorder.h"

#include "libs/plotwin/plotwin.h"

namespace {
ExtrasRecorder* current = nullptr;
}

ExtrasRecorder::ExtrasRecorder(HWND pane) : pane_(pane) {
    current = this;
    previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(pane, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
}

ExtrasRecorder::~ExtrasRecorder() {
    SetWindowLongPtrA(pane_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    current = nullptr;
}

void ExtrasRecorder::Reset() {
    text.clear();
    hasText = false;
    markers.clear();
    overlayNames.clear();
    overlays.clear();
    overlayClears = 0;
}

LRESULT CALLBACK ExtrasRecorder::Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    ExtrasRecorder* r = current;
    switch (m) {
    case PWM_CLEAR:
        r->hasText = false;
        r->text.clear();
        r->markers.clear();
        r->overlays.clear();
        r->overlayNames.clear();
        break;
    case PWM_SETMETRICSTEXT:
        r->hasText = lp != 0;
        r->text = lp ? reinterpret_cast<const char*>(lp) : "";
        break;
    case PWM_SETMARKERS: {
        const double* v = reinterpret_cast<const double*>(lp);
        r->markers.assign(v, v + wp);
        break;
    }
    case PWM_CLEAROVERLAYS:
        ++r->overlayClears;
        r->overlays.clear();
        r->overlayNames.clear();
        break;
    case PWM_SETOVERLAY: {
        const double* v = reinterpret_cast<const double*>(lp);
        r->overlays[LOWORD(wp)].assign(v, v + HIWORD(wp));
        break;
    }
    case PWM_SETOVERLAYNAME: r->overlayNames[static_cast<int>(wp)] = reinterpret_cast<const char*>(lp); break;
    }
    return CallWindowProcA(r->previous_, w, m, wp, lp);
}
