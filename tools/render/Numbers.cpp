#include "tools/render/Numbers.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace qev::render
{

bool parseIndex(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    int result = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
    }
    value = result;
    return true;
}

bool parseDouble(const std::string& text, double& value)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const double result = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool parseFloat(const std::string& text, float& value)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const float result = std::strtof(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

} // namespace qev::render
