// Metafile text records (see emf_text.h).
#include "emf_text.h"

namespace {

int CALLBACK Collect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
    auto* out = reinterpret_cast<std::vector<DrawnText>*>(data);
    if (record->iType == EMR_EXTTEXTOUTW) {
        auto* r = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const wchar_t* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) + r->emrtext.offString);
        std::string text;
        for (DWORD i = 0; i < r->emrtext.nChars; ++i) text += static_cast<char>(chars[i]);
        out->push_back({r->emrtext.ptlReference.x, r->emrtext.ptlReference.y, text});
    } else if (record->iType == EMR_EXTTEXTOUTA) {
        auto* r = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
        const char* chars = reinterpret_cast<const char*>(r) + r->emrtext.offString;
        out->push_back({r->emrtext.ptlReference.x, r->emrtext.ptlReference.y, std::string(chars, r->emrtext.nChars)});
    }
    return 1;
}

}  // namespace

std::vector<DrawnText> MetafileTexts(HENHMETAFILE metafile) {
    std::vector<DrawnText> out;
    EnumEnhMetaFile(nullptr, metafile, Collect, &out, nullptr);
    return out;
}

const DrawnText* FindDrawn(const std::vector<DrawnText>& texts, const std::string& text) {
    for (const DrawnText& t : texts)
        if (t.text == text) return &t;
    return nullptr;
}
