// Raw registry access for tests (see registry.h).
#include "registry.h"

#include <cstring>

double RegValue::AsDouble() const {
    double v = 0;
    if (bytes.size() == sizeof v) std::memcpy(&v, bytes.data(), sizeof v);
    return v;
}

int RegValue::AsInt() const {
    int v = 0;
    if (bytes.size() == sizeof v) std::memcpy(&v, bytes.data(), sizeof v);
    return v;
}

RegValue ReadRegValue(HKEY root, const std::string& key, const std::string& name) {
    RegValue v;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return v;
    DWORD size = 0;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.bytes.resize(size);
        RegQueryValueExA(k, name.c_str(), nullptr, &v.type, v.bytes.data(), &size);
        v.bytes.resize(size);
        v.exists = true;
    }
    RegCloseKey(k);
    return v;
}

void WriteRegValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
                   DWORD size) {
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExA(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

bool RegKeyExists(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}
