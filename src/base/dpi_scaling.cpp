#include "base/dpi_scaling.h"

#include <cstdint>
#include <cstdlib>

namespace {

int mulDiv(int value, int numerator, int denominator)
{
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t magnitude = (std::llabs(product) + denominator / 2) / denominator;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

}  // namespace

int scaleForDpi(int value, int dpi)
{
    return mulDiv(value, dpi, 96);
}

int fontHeightForDpi(int points, int dpi)
{
    return -mulDiv(points, dpi, 72);
}

int saneDpi(int dpi)
{
    return dpi < 72 || dpi > 480 ? 96 : dpi;
}
