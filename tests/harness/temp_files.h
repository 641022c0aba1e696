// Files and folders in tests: fresh temporary folders that are removed again,
// and whole-file reads and writes.
#pragma once
#include <string>
#include <vector>

// A new empty folder under the temporary folder, emptied of whatever an earlier
// run with the same process id left there.
std::string FreshFolder(const std::string& tag);
// Deletes a folder with everything in it, read-only files included.
void RemoveTree(const std::string& folder);
// Names in the folder other than "." and "..", sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
