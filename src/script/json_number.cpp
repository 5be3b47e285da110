#include "script/json_number.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t kTwoTo53 = uint64_t{1} << 53;
// Far beyond any double (whose decimal exponents lie within about -343 to 309) and far from
// overflowing an int64_t when a digit count of up to 2^28 is added.
constexpr int64_t kExponentLimit = 1000000000;
// A decimal number needs at most 767 significant digits to tell apart the two doubles on either
// side of a rounding boundary; beyond that only "is anything non-zero left" matters.
constexpr int kKeptDigits = 780;

// The parts of the longest leading decimal number of a run, as strtod finds it.
struct DecimalText {
    bool negative = false;
    const char* integerBegin = nullptr;
    const char* integerEnd = nullptr;
    const char* fractionBegin = nullptr;
    const char* fractionEnd = nullptr;
    int64_t exponent = 0;  // limited to +-kExponentLimit
};

// False when the run starts with no decimal number at all (strtod converts nothing: 0.0).
bool scanDecimal(const char* p, const char* end, DecimalText& decimal)
{
    if (p < end && (*p == '+' || *p == '-')) {
        decimal.negative = *p == '-';
        ++p;
    }
    decimal.integerBegin = p;
    while (p < end && isDigit(*p)) {
        ++p;
    }
    decimal.integerEnd = p;
    decimal.fractionBegin = decimal.fractionEnd = p;
    if (p < end && *p == '.') {
        ++p;
        decimal.fractionBegin = p;
        while (p < end && isDigit(*p)) {
            ++p;
        }
        decimal.fractionEnd = p;
    }
    if (decimal.integerBegin == decimal.integerEnd && decimal.fractionBegin == decimal.fractionEnd) {
        return false;
    }
    // An exponent counts only with at least one digit ("1e" and "1e+" are 1).
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negativeExponent = false;
        if (q < end && (*q == '+' || *q == '-')) {
            negativeExponent = *q == '-';
            ++q;
        }
        if (q < end && isDigit(*q)) {
            int64_t exponent = 0;
            for (; q < end && isDigit(*q); ++q) {
                if (exponent < kExponentLimit) {
                    exponent = exponent * 10 + (*q - '0');
                }
            }
            if (exponent > kExponentLimit) {
                exponent = kExponentLimit;
            }
            decimal.exponent = negativeExponent ? -exponent : exponent;
        }
    }
    return true;
}

// The exact value by strtod, on a short copy that keeps what decides the rounding: the first
// kKeptDigits significant digits, a 1 for anything non-zero after them, and the exponent of the
// first significant digit. A run of any length then costs a bounded buffer.
double convertWithStrtod(const DecimalText& decimal)
{
    char buffer[kKeptDigits + 48];
    char* out = buffer;
    if (decimal.negative) {
        *out++ = '-';
    }
    *out++ = '0';
    *out++ = '.';
    int kept = 0;
    bool nonZeroDropped = false;
    bool significant = false;
    int64_t pointShift = 0;  // the exponent of 0.D for the digits D
    const auto take = [&](char digit, bool inInteger) {
        if (!significant) {
            if (digit == '0') {
                pointShift -= inInteger ? 0 : 1;
                return;
            }
            significant = true;
        }
        if (inInteger) {
            ++pointShift;
        }
        if (kept < kKeptDigits) {
            *out++ = digit;
            ++kept;
        } else if (digit != '0') {
            nonZeroDropped = true;
        }
    };
    for (const char* p = decimal.integerBegin; p < decimal.integerEnd; ++p) {
        take(*p, true);
    }
    for (const char* p = decimal.fractionBegin; p < decimal.fractionEnd; ++p) {
        take(*p, false);
    }
    if (!significant) {
        return decimal.negative ? -0.0 : 0.0;
    }
    if (nonZeroDropped) {
        *out++ = '1';
    }
    int64_t exponent = pointShift + decimal.exponent;
    if (exponent > 100000) {
        exponent = 100000;
    } else if (exponent < -100000) {
        exponent = -100000;
    }
    std::snprintf(out, 16, "e%d", static_cast<int>(exponent));
    return std::strtod(buffer, nullptr);
}

}  // namespace

double numberRunValue(const char* begin, const char* end)
{
    DecimalText decimal;
    if (!scanDecimal(begin, end, decimal)) {
        return 0.0;
    }
    // Fast path: at most 19 significant digits fit a uint64_t; with a mantissa below 2^53 and a
    // power of ten that is itself an exact double, one multiplication or division rounds
    // correctly, which is what strtod does.
    uint64_t mantissa = 0;
    int digits = 0;
    for (const char* p = decimal.integerBegin; p < decimal.integerEnd && digits <= 19; ++p) {
        digits += (mantissa != 0 || *p != '0') ? 1 : 0;
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    }
    for (const char* p = decimal.fractionBegin; p < decimal.fractionEnd && digits <= 19; ++p) {
        digits += (mantissa != 0 || *p != '0') ? 1 : 0;
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    }
    if (digits > 19) {
        return convertWithStrtod(decimal);
    }
    if (mantissa == 0) {
        return decimal.negative ? -0.0 : 0.0;
    }
    const int64_t exponent = decimal.exponent - (decimal.fractionEnd - decimal.fractionBegin);
    double value = 0.0;
    if (mantissa <= kTwoTo53 && exponent >= -22 && exponent <= 22) {
        value = exponent >= 0 ? static_cast<double>(mantissa) * kPowersOfTen[exponent]
                              : static_cast<double>(mantissa) / kPowersOfTen[-exponent];
    } else if (mantissa <= kTwoTo53 && exponent > 22 && exponent <= 22 + 15) {
        // Move the part of the power beyond 1e22 into the mantissa while it stays exact.
        uint64_t scaled = mantissa;
        for (int64_t i = 22; i < exponent && scaled <= kTwoTo53; ++i) {
            scaled *= 10;
        }
        if (scaled > kTwoTo53) {
            return convertWithStrtod(decimal);
        }
        value = static_cast<double>(scaled) * 1e22;
    } else {
        return convertWithStrtod(decimal);
    }
    return decimal.negative ? -value : value;
}

char* writeJsonInteger(char* out, int32_t value)
{
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

char* writeJsonNumber(char* out, double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    // Exact fixed-point path for |value| below 2^40 (every delay and coordinate): value is
    // m * 2^e, so value * 10^4 is m * 625 * 2^(e+4), with m * 625 below 2^63. Rounding that to
    // a whole number of ten-thousandths with ties to even is what printf's "%.4f" does.
    if (biasedExponent != 0x7FF && biasedExponent - 1023 < 40) {
        uint64_t tenThousandths = 0;
        if (biasedExponent != 0) {  // zero and subnormal values round to 0
            const uint64_t product = ((bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52)) * 625;
            const int shift = biasedExponent - 1075 + 4;
            if (shift >= 0) {
                tenThousandths = product << shift;
            } else if (shift > -64) {
                const int right = -shift;
                const uint64_t whole = product >> right;
                const uint64_t rest = product & ((uint64_t{1} << right) - 1);
                const uint64_t half = uint64_t{1} << (right - 1);
                tenThousandths = whole + ((rest > half || (rest == half && (whole & 1) != 0)) ? 1 : 0);
            }
        }
        if (tenThousandths == 0) {
            *out++ = '0';
            return out;
        }
        if (negative) {
            *out++ = '-';
        }
        uint64_t whole = tenThousandths / 10000;
        uint32_t fraction = static_cast<uint32_t>(tenThousandths % 10000);
        char digits[20];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + whole % 10);
            whole /= 10;
        } while (whole != 0);
        while (count > 0) {
            *out++ = digits[--count];
        }
        if (fraction != 0) {
            *out++ = '.';
            for (uint32_t divisor = 1000; fraction != 0; divisor /= 10) {
                *out++ = static_cast<char>('0' + fraction / divisor);
                fraction %= divisor;
            }
        }
        return out;
    }
    // Infinities, NaN and huge values: printf itself, trimmed the same way.
    char text[kJsonNumberRoom + 192];
    std::snprintf(text, sizeof text, "%.4f", value);
    size_t length = std::strlen(text);
    if (std::memchr(text, '.', length) != nullptr) {
        while (length > 0 && text[length - 1] == '0') {
            --length;
        }
        if (length > 0 && text[length - 1] == '.') {
            --length;
        }
    }
    if (length == 0 || (length == 2 && text[0] == '-' && text[1] == '0')) {
        *out++ = '0';
        return out;
    }
    std::memcpy(out, text, length);
    return out + length;
}
