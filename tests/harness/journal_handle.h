// Expected journal lines written with "H" where the controller handle goes
// ("ZqEnableAxis(H, 1, 1)"): the simulated controller hands out a new handle
// at every open, so a test names the handle of its own open.
#pragma once
#include <string>
#include <vector>

std::vector<std::string> WithHandle(std::vector<std::string> lines, short handle);
