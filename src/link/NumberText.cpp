// Numbers read from the texts a user types into the setup: the leading
// number of a text, whatever follows ignored, '.' as the point in any locale.
#include "link/NumberText.h"

#include <QByteArray>

#include <charconv>
#include <climits>
#include <cmath>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

// The leading decimal integer of a text as the pane has always read it:
// white space, an optional sign, digits, and whatever follows ignored. False
// when there are no digits. Saturates far outside every field's range.
bool LeadingInteger(const QString& text, long long& value)
{
    const QByteArray bytes = text.toLatin1();
    const char* p = bytes.constData();
    while (isSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (!(*p >= '0' && *p <= '9'))
        return false;
    value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value < LLONG_MAX / 10)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    return true;
}

// The leading decimal number of a text, with '.' as the decimal point
// whatever the locale; whatever follows is ignored. False when the text does
// not begin with a number (infinity and NaN texts are no numbers here).
bool LeadingNumber(const QString& text, double& value)
{
    const QByteArray bytes = text.toLatin1();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    while (p < end && isSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (p == end || !((*p >= '0' && *p <= '9') || *p == '.'))
        return false;
    double parsed = 0.0;
    const auto result = std::from_chars(p, end, parsed, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        parsed = HUGE_VAL;  // far too large: refused by the range check
    else if (result.ec != std::errc())
        return false;
    value = negative ? -parsed : parsed;
    return true;
}
