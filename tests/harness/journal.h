// Reads the call journal of the simulated controller libraries.
#pragma once
#include <string>
#include <vector>

class Journal {
public:
    // Points ZQSIM_JOURNAL of this process at a fresh file named after tag.
    explicit Journal(const std::string& tag);
    ~Journal();
    // All lines written so far.
    std::vector<std::string> Lines() const;
    // Lines written since the last Mark() (or since the start).
    std::vector<std::string> Since() const;
    void Mark();
    // Only the lines that start with one of the given function names.
    static std::vector<std::string> Filter(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& names);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    size_t mark_ = 0;
};
