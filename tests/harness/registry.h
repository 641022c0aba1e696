// Reading and writing raw registry values in tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct RegValue {
    bool exists = false;
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    double AsDouble() const;
    int AsInt() const;
};

RegValue ReadRegValue(HKEY root, const std::string& key, const std::string& name);
void WriteRegValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
                   DWORD size);
bool RegKeyExists(HKEY root, const std::string& key);
