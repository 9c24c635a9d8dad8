#pragma once

#include <fstream>
#include <sstream>
#include <string>

// A file of tests/pellbrook/data, byte for byte.
inline std::string readTestData(const std::string& name)
{
    std::ifstream in(std::string(PELLBROOK_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
